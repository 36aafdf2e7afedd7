// SPDX-License-Identifier: MIT
// Media times, pixel buffers and the create-call results.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/media/CMFormatDescription.h"
#include "platform/media/CMSampleBuffer.h"
#include "platform/media/CMTime.h"
#include "platform/media/CVPixelBuffer.h"
#include "platform/media/MediaFaults.h"

namespace kavorn {
namespace {

TEST(CMTimeTest, SecondsOfValidAndInvalidTimes) {
    EXPECT_DOUBLE_EQ(CMTimeGetSeconds(CMTimeMake(1, 30)), 1.0 / 30);
    EXPECT_DOUBLE_EQ(CMTimeGetSeconds(CMTimeMake(-3, 2)), -1.5);
    EXPECT_TRUE(std::isnan(CMTimeGetSeconds(kCMTimeInvalid)));
    EXPECT_FALSE(CMTimeMake(1, 0).isValid());
    EXPECT_FALSE(CMTimeMake(1, -5).isValid());
    EXPECT_TRUE(std::isinf(
        CMTimeGetSeconds(CMTime{0, 1, kCMTimeFlags_Valid | kCMTimeFlags_PositiveInfinity})));
}

TEST(CMTimeTest, ConvertScaleRoundsAsAsked) {
    using M = CMTimeRoundingMethod;
    auto to9 = [](CMTime t, M m = M::RoundHalfAwayFromZero) {
        return CMTimeConvertScale(t, 1'000'000'000, m);
    };
    EXPECT_EQ(to9(CMTimeMake(3, 2)).value, 1'500'000'000);
    EXPECT_FALSE(to9(CMTimeMake(3, 2)).flags & kCMTimeFlags_HasBeenRounded);
    EXPECT_EQ(to9(CMTimeMake(1, 3)).value, 333'333'333);
    EXPECT_EQ(to9(CMTimeMake(2, 3)).value, 666'666'667);
    EXPECT_TRUE(to9(CMTimeMake(2, 3)).flags & kCMTimeFlags_HasBeenRounded);
    EXPECT_EQ(to9(CMTimeMake(-2, 3)).value, -666'666'667);
    EXPECT_EQ(to9(CMTimeMake(2, 3), M::RoundTowardZero).value, 666'666'666);
    EXPECT_EQ(to9(CMTimeMake(-2, 3), M::RoundTowardZero).value, -666'666'666);
    EXPECT_EQ(to9(CMTimeMake(1, 3), M::RoundAwayFromZero).value, 333'333'334);
    EXPECT_EQ(to9(CMTimeMake(-1, 3), M::RoundTowardNegativeInfinity).value, -333'333'334);
    EXPECT_EQ(to9(CMTimeMake(-2, 3), M::RoundTowardPositiveInfinity).value, -666'666'666);
    // Exact halves: 1/2 of a unit of the new scale.
    EXPECT_EQ(CMTimeConvertScale(CMTimeMake(1, 4), 2, M::RoundHalfAwayFromZero).value, 1);
    EXPECT_EQ(CMTimeConvertScale(CMTimeMake(-1, 4), 2, M::RoundHalfAwayFromZero).value, -1);
    EXPECT_EQ(CMTimeConvertScale(CMTimeMake(1, 4), 2, M::QuickTime).value, 0);  // shrinking
    // No overflow in the middle of the computation; overflow of the result is infinite.
    EXPECT_EQ(to9(CMTimeMake(9'000'000'000'000'000'000, 1'000'000'000)).value,
              9'000'000'000'000'000'000);
    EXPECT_TRUE(to9(CMTimeMake(10'000'000'000, 1)).flags & kCMTimeFlags_PositiveInfinity);
    EXPECT_FALSE(to9(kCMTimeInvalid).isValid());
    EXPECT_FALSE(CMTimeConvertScale(CMTimeMake(1, 1), 0, M::Default).isValid());
}

TEST(CVPixelBufferTest, MemoryIsHandedOutOnlyWhileLocked) {
    auto buffer = CVPixelBufferCreate(4, 4, kCVPixelFormatType_32BGRA, {}).object;
    EXPECT_EQ(CVPixelBufferGetBaseAddress(buffer), nullptr);
    EXPECT_EQ(CVPixelBufferLockBaseAddress(buffer, 0), noErr);
    EXPECT_EQ(CVPixelBufferLockBaseAddress(buffer, kCVPixelBufferLock_ReadOnly), noErr);
    EXPECT_NE(CVPixelBufferGetBaseAddress(buffer), nullptr);
    EXPECT_EQ(CVPixelBufferUnlockBaseAddress(buffer, kCVPixelBufferLock_ReadOnly), noErr);
    EXPECT_NE(CVPixelBufferGetBaseAddress(buffer), nullptr);
    EXPECT_EQ(CVPixelBufferUnlockBaseAddress(buffer, 0), noErr);
    EXPECT_EQ(CVPixelBufferGetBaseAddress(buffer), nullptr);
    EXPECT_EQ(CVPixelBufferUnlockBaseAddress(buffer, 0), kCVReturnInvalidArgument);
}

TEST(CVPixelBufferTest, BorrowedMemoryIsReleasedOnceWithTheLastReference) {
    std::vector<std::uint8_t> memory(8 * 2 * 4);
    int releases = 0;
    auto made = CVPixelBufferCreateWithBytes(8, 2, kCVPixelFormatType_32BGRA, memory.data(), 32,
                                             [&] { ++releases; });
    ASSERT_TRUE(made.succeeded());
    CVPixelBufferRef second = made.object;
    made.object.reset();
    EXPECT_EQ(releases, 0);
    second.reset();
    EXPECT_EQ(releases, 1);
    EXPECT_EQ(
        CVPixelBufferCreateWithBytes(8, 2, kCVPixelFormatType_32BGRA, memory.data(), 31, nullptr)
            .status,
        kCVReturnInvalidArgument)
        << "rows shorter than the width";
}

}  // namespace
}  // namespace kavorn
