// SPDX-License-Identifier: MIT
// The frame pump on the real clock, with wide margins.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/log/OutputCapture.h"
#include "platform/loopback/LoopbackHost.h"
#include "stream/CameraStream.h"

namespace kavorn {
namespace {

TEST(CameraStreamRealTimeTest, SendsAboutThirtyPlaceholdersASecond) {
    LoopbackHost host;
    ScopedHost scope(host);
    OutputCapture output;
    auto stream = CameraStream::create();

    ASSERT_TRUE(host.startStream(stream->extensionStream()).has_value());
    // The first frame (which also draws the picture) comes at once.
    ASSERT_TRUE(host.waitForSentCount(1, std::chrono::seconds(5)));
    const auto begin = std::chrono::steady_clock::now();
    const std::size_t first = host.sentCount();
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const std::size_t frames = host.sentCount() - first;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    stream->stopStreaming();

    const double rate = static_cast<double>(frames) / seconds;
    EXPECT_GT(rate, 20.0);
    EXPECT_LT(rate, 40.0);

    // Consecutive host times are one tick apart, give or take scheduling.
    const auto sent = host.sent();
    ASSERT_GE(sent.size(), 10U);
    std::uint64_t widest = 0;
    for (std::size_t i = 1; i < sent.size(); ++i) {
        EXPECT_GT(sent[i].hostTimeInNanoseconds, sent[i - 1].hostTimeInNanoseconds);
        widest =
            std::max(widest, sent[i].hostTimeInNanoseconds - sent[i - 1].hostTimeInNanoseconds);
    }
    EXPECT_LT(widest, 250'000'000U);
}

}  // namespace
}  // namespace kavorn
