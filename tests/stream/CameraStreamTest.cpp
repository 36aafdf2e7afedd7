// SPDX-License-Identifier: MIT
// The output stream's frame pump on virtual time.
#include "stream/CameraStream.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <future>
#include <limits>
#include <thread>

#include "platform/media/HostTimeClock.h"
#include "platform/media/MediaFaults.h"
#include "stream/HostTimeNanoseconds.h"
#include "support/HostHarness.h"

namespace kavorn {
namespace {

using test::kTickNanoseconds;
using ::testing::ElementsAre;

// The host time a frame sent at clock reading `t` carries: seconds as a double, times 1e9,
// truncated, so it may fall a nanosecond short of the reading.
std::uint64_t stamp(std::int64_t t) {
    return hostTimeInNanoseconds(CMTimeMake(t, 1'000'000'000));
}

class CameraStreamTest : public ::testing::Test {
protected:
    // A frame as the companion would send it: its own buffer and presentation time.
    CMSampleBufferRef makeSinkFrame(std::int64_t ptsNanoseconds) {
        auto pixels = CVPixelBufferCreate(1920, 1080, kCVPixelFormatType_32BGRA, {});
        auto description = CMVideoFormatDescriptionCreateForImageBuffer(pixels.object);
        return CMSampleBufferCreateReadyWithImageBuffer(
                   pixels.object, description.object,
                   {CMTimeMake(1, 30), CMTimeMake(ptsNanoseconds, 1'000'000'000), kCMTimeInvalid})
            .object;
    }

    void start() { ASSERT_TRUE(h.host.startStream(stream->extensionStream()).has_value()); }
    void stop() { ASSERT_TRUE(h.host.stopStream(stream->extensionStream()).has_value()); }
    void settle() {
        stream->timerQueue().sync([] {});
    }
    std::int64_t now() const { return h.time.now(); }

    test::HostHarness h;
    std::shared_ptr<CameraStream> stream = CameraStream::create();
};

TEST_F(CameraStreamTest, PlaceholderGoesOutAtOnceThenEveryThirtiethOfASecond) {
    const std::int64_t start0 = now();
    start();
    settle();
    ASSERT_EQ(h.host.sentCount(), 1U);
    EXPECT_EQ(stream->sequenceNumber(), 1U);

    h.advance(kTickNanoseconds);
    EXPECT_EQ(stream->sequenceNumber(), 2U);
    h.advance(kTickNanoseconds);
    EXPECT_EQ(stream->sequenceNumber(), 3U);

    // Ticks fall on start + k * 33333333 ns; within one second that is k = 0 ... 30.
    h.time.advanceTo(start0 + 1'000'000'000);
    const auto sent = h.host.sent();
    ASSERT_EQ(sent.size(), 31U);
    EXPECT_EQ(stream->sequenceNumber(), 31U);
    for (std::size_t k = 0; k < sent.size(); ++k) {
        const auto& frame = sent[k];
        const std::int64_t tick = start0 + static_cast<std::int64_t>(k) * kTickNanoseconds;
        EXPECT_EQ(frame.hostTimeInNanoseconds, stamp(tick)) << "frame " << k;
        EXPECT_EQ(frame.discontinuity, kCMIOExtensionStreamDiscontinuityFlagNone);
        EXPECT_EQ(frame.streamName, "Quorvelle Video");
        EXPECT_EQ(frame.streamID, stream->streamID());
        // One picture, drawn once, carried by a fresh sample buffer per frame.
        EXPECT_EQ(CMSampleBufferGetImageBuffer(frame.sampleBuffer), stream->placeholder());
        EXPECT_EQ(CMSampleBufferGetPresentationTimeStamp(frame.sampleBuffer),
                  CMTimeMake(tick, 1'000'000'000));
        EXPECT_EQ(CMSampleBufferGetDuration(frame.sampleBuffer), CMTimeMake(1, 30));
        EXPECT_FALSE(frame.sampleBuffer->timing().decodeTimeStamp.isValid());
        const auto& format = CMSampleBufferGetFormatDescription(frame.sampleBuffer);
        EXPECT_EQ(format->mediaSubType(), kCVPixelFormatType_32BGRA);
        EXPECT_EQ(format->dimensions(), (CMVideoDimensions{1920, 1080}));
    }
    EXPECT_NE(sent[0].sampleBuffer, sent[1].sampleBuffer);
    EXPECT_THAT(h.output.lines(), ElementsAre("CameraStream: Starting stream"));
}

TEST_F(CameraStreamTest, SinkFramesHoldThePlaceholderBackForHalfASecond) {
    const std::int64_t firstTick = now();
    start();
    settle();
    ASSERT_EQ(h.host.sentCount(), 1U);  // the placeholder, before any sink frame

    // Feed a sink frame every 0.4 s, between ticks, for two seconds.
    std::vector<CMSampleBufferRef> fed;
    std::int64_t lastPush = 0;
    for (int i = 0; i < 5; ++i) {
        h.advance(i == 0 ? 10'000'000 : 400'000'000);
        fed.push_back(makeSinkFrame(now() - 5'000'000));
        stream->forwardSinkFrame(fed.back());
        lastPush = now();
        EXPECT_DOUBLE_EQ(stream->lastPushedAt(), CACurrentMediaTime());
    }
    auto sent = h.host.sent();
    ASSERT_EQ(sent.size(), 6U) << "no placeholder between sink frames less than 0.5 s apart";
    for (std::size_t i = 0; i < fed.size(); ++i) {
        // Sent unchanged (same object, own timing), stamped with the host clock at sending.
        EXPECT_EQ(sent[i + 1].sampleBuffer, fed[i]);
    }
    EXPECT_EQ(sent.back().hostTimeInNanoseconds, stamp(lastPush));
    EXPECT_EQ(stream->sequenceNumber(), 6U);

    // The placeholder resumes on the first tick 0.5 s or more after the last sink frame.
    std::int64_t expected = firstTick;
    while (expected - lastPush < 500'000'000) {
        expected += kTickNanoseconds;
    }
    h.time.advanceTo(expected - 1);
    EXPECT_EQ(h.host.sentCount(), 6U);
    h.time.advanceTo(expected);
    sent = h.host.sent();
    ASSERT_EQ(sent.size(), 7U);
    EXPECT_EQ(sent.back().hostTimeInNanoseconds, stamp(expected));
    EXPECT_EQ(CMSampleBufferGetImageBuffer(sent.back().sampleBuffer), stream->placeholder());
}

TEST_F(CameraStreamTest, RestartCountsAgainFromZeroAndReusesThePicture) {
    start();
    h.advance(3 * kTickNanoseconds);
    EXPECT_EQ(stream->sequenceNumber(), 4U);
    const CVPixelBufferRef picture = stream->placeholder();
    const std::uint64_t allocated = CVPixelBuffer::totalBytesAllocated();

    stop();
    EXPECT_FALSE(stream->isStreaming());
    h.advance(10 * kTickNanoseconds);
    settle();
    EXPECT_EQ(h.host.sentCount(), 4U) << "nothing goes out while stopped";

    // Hold the queue so that the restart's first tick cannot run before the check.
    std::promise<void> release;
    stream->timerQueue().async([gate = release.get_future().share()] { gate.wait(); });
    start();
    EXPECT_EQ(stream->sequenceNumber(), 0U);
    release.set_value();
    settle();
    EXPECT_EQ(stream->sequenceNumber(), 1U);
    EXPECT_EQ(stream->placeholder(), picture);
    EXPECT_EQ(CMSampleBufferGetImageBuffer(h.host.sent().back().sampleBuffer), picture);
    EXPECT_EQ(CVPixelBuffer::totalBytesAllocated(), allocated) << "the picture is not redrawn";
    EXPECT_THAT(h.output.lines(),
                ElementsAre("CameraStream: Starting stream", "CameraStream: Stopping stream",
                            "CameraStream: Starting stream"));
}

TEST_F(CameraStreamTest, SinkFrameWhileStoppedIsDroppedAndLeavesLastPushedAtAlone) {
    stream->forwardSinkFrame(makeSinkFrame(0));
    EXPECT_EQ(h.host.sentCount(), 0U);
    EXPECT_EQ(stream->lastPushedAt(), 0.0);
    EXPECT_EQ(stream->sequenceNumber(), 0U);

    // A run that ends with a sink frame, then frames while stopped, then a start 0.6 s after
    // the last frame that went out: the placeholder goes out at once.
    start();
    settle();
    stream->forwardSinkFrame(makeSinkFrame(0));
    const double pushedAt = stream->lastPushedAt();
    stop();
    h.advance(300'000'000);
    stream->forwardSinkFrame(makeSinkFrame(0));
    EXPECT_EQ(stream->lastPushedAt(), pushedAt);
    h.advance(300'000'000);
    h.host.clearSent();
    start();
    settle();
    ASSERT_EQ(h.host.sentCount(), 1U);
    EXPECT_EQ(CMSampleBufferGetImageBuffer(h.host.sent()[0].sampleBuffer), stream->placeholder());
}

TEST_F(CameraStreamTest, StartSoonAfterARunsLastSinkFrameKeepsThePlaceholderBack) {
    start();
    settle();
    stream->forwardSinkFrame(makeSinkFrame(0));
    stop();
    h.host.clearSent();
    h.advance(100'000'000);
    start();
    settle();
    EXPECT_EQ(h.host.sentCount(), 0U) << "lastPushedAt survives the stop";
}

TEST_F(CameraStreamTest, RendererWithoutAPictureSendsNothingAndIsAskedAgain) {
    {
        ScopedMediaFault noBuffer(MediaCall::CVPixelBufferCreate);
        start();
        settle();
        h.advance(kTickNanoseconds);
        EXPECT_EQ(h.host.sentCount(), 0U);
        EXPECT_EQ(stream->sequenceNumber(), 0U);
        EXPECT_EQ(stream->placeholder(), nullptr);
    }
    h.advance(kTickNanoseconds);
    EXPECT_EQ(h.host.sentCount(), 1U);
    EXPECT_NE(stream->placeholder(), nullptr);
    EXPECT_THAT(h.output.lines(), ElementsAre("CameraStream: Starting stream"));
}

TEST_F(CameraStreamTest, FrameThatCannotBeWrappedIsDroppedWithOneLine) {
    start();
    settle();
    ASSERT_EQ(h.host.sentCount(), 1U);
    h.output.clear();
    {
        ScopedMediaFault noDescription(MediaCall::CMVideoFormatDescriptionCreateForImageBuffer);
        h.advance(kTickNanoseconds);
    }
    {
        ScopedMediaFault noSample(MediaCall::CMSampleBufferCreateReadyWithImageBuffer);
        h.advance(kTickNanoseconds);
    }
    EXPECT_EQ(h.host.sentCount(), 1U);
    EXPECT_EQ(stream->sequenceNumber(), 1U);
    EXPECT_THAT(h.output.lines(),
                ElementsAre("CameraStream: Failed to create format description from pixel buffer",
                            "CameraStream: Failed to create sample buffer"));
    h.advance(kTickNanoseconds);
    EXPECT_EQ(h.host.sentCount(), 2U) << "the timer keeps running";
}

TEST_F(CameraStreamTest, SecondStartAndSecondStopChangeNothing) {
    const std::int64_t start0 = now();
    start();
    start();
    h.time.advanceTo(start0 + 1'000'000'000);
    EXPECT_EQ(h.host.sentCount(), 31U) << "one timer, not two";
    stop();
    stop();
    h.advance(1'000'000'000);
    settle();
    EXPECT_EQ(h.host.sentCount(), 31U);
    EXPECT_THAT(h.output.lines(),
                ElementsAre("CameraStream: Starting stream", "CameraStream: Stopping stream"));
}

TEST_F(CameraStreamTest, StartsRacingStopsNeverLeaveATimerBehind) {
    auto flip = [&] {
        for (int i = 0; i < 500; ++i) {
            stream->startStreaming();
            stream->stopStreaming();
        }
    };
    std::thread a(flip);
    std::thread b(flip);
    a.join();
    b.join();
    stream->stopStreaming();
    settle();
    h.host.clearSent();
    h.advance(1'000'000'000);
    settle();
    EXPECT_EQ(h.host.sentCount(), 0U);

    // Every start line is matched by a stop line, in alternation.
    const auto lines = h.output.lines();
    ASSERT_EQ(lines.size() % 2, 0U);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i],
                  i % 2 == 0 ? "CameraStream: Starting stream" : "CameraStream: Stopping stream");
    }
}

TEST_F(CameraStreamTest, PendingTicksDoNothingOnceTheStreamIsGone) {
    start();
    settle();
    std::weak_ptr<CameraStream> weak = stream;
    stream.reset();
    EXPECT_TRUE(weak.expired());
    h.advance(1'000'000'000);
    EXPECT_EQ(h.host.sentCount(), 1U);
}

TEST(CameraStreamDeathTest, StopsTheProcessWhenTheFormatCannotBeDescribed) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            ScopedMediaFault fault(MediaCall::CMVideoFormatDescriptionCreate);
            CameraStream::create();
        },
        "Fatal error: CameraStream: Failed to create format description");
}

TEST(HostTimeNanosecondsTest, TruncatesAndStampsUnconvertibleReadingsAsZero) {
    EXPECT_EQ(hostTimeInNanoseconds(CMTimeMake(3, 2)), 1'500'000'000U);
    EXPECT_EQ(hostTimeInNanoseconds(CMTimeMake(2, 3)), 666'666'666U);  // dropped, not rounded
    EXPECT_EQ(hostTimeInNanoseconds(CMTimeMake(123'456'789'012, 1'000'000'000)), 123'456'789'012U);
    EXPECT_EQ(hostTimeInNanoseconds(CMTimeMake(0, 1)), 0U);
    EXPECT_EQ(hostTimeInNanoseconds(CMTimeMake(-1, 1'000'000'000)), 0U);
    EXPECT_EQ(hostTimeInNanoseconds(kCMTimeInvalid), 0U);
    EXPECT_EQ(
        hostTimeInNanoseconds(CMTime{1, 1, kCMTimeFlags_Valid | kCMTimeFlags_PositiveInfinity}),
        0U);
    // 2^64 ns is 18446744073.709551616 s; at or over it gives 0.
    // Just under converts, to the double nearest 18446744073e9.
    EXPECT_EQ(hostTimeInNanoseconds(CMTimeMake(18'446'744'073, 1)), 18'446'744'072'999'999'488U);
    EXPECT_EQ(hostTimeInNanoseconds(CMTimeMake(18'446'744'074, 1)), 0U);
    EXPECT_EQ(hostTimeInNanoseconds(CMTimeMake(std::numeric_limits<std::int64_t>::max(), 1)), 0U);
}

}  // namespace
}  // namespace kavorn
