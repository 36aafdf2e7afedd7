// SPDX-License-Identifier: MIT
// The process entry against the loopback host, and a camera fed end to end.
#include "extension/ExtensionMain.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "device/CameraDevice.h"
#include "extension/CameraProviderSource.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/media/HostTimeClock.h"
#include "support/Frames.h"
#include "support/HostHarness.h"

namespace kavorn {
namespace {

using test::kTickNanoseconds;

// Runs the entry on its own thread, as the main thread would, until the test stops its loop.
class ExtensionMainTest : public ::testing::Test {
protected:
    void launch() {
        exitStatus = std::async(std::launch::async, [this] { return extensionMain(process); });
        ASSERT_TRUE(h.host.waitForServiceStarted(std::chrono::seconds(10)));
    }
    int stopRunLoop() {
        CFRunLoopStop(CFRunLoopGetMain());
        return exitStatus.get();
    }
    void TearDown() override {
        if (exitStatus.valid()) {
            stopRunLoop();
        }
    }

    // One record, as "log <category> <level>: text" or "stdout: text".
    std::vector<std::string> timeline() {
        std::vector<std::string> lines;
        for (const auto& r : h.output.records()) {
            if (r.channel == OutputChannel::StandardOutput) {
                lines.push_back("stdout: " + r.text);
            } else {
                EXPECT_EQ(r.subsystem, "com.vennardholtdigitalco.kavorn.camera-extension");
                lines.push_back("log " + r.category +
                                (r.level == LogLevel::Error ? " error: " : " default: ") + r.text);
            }
        }
        return lines;
    }

    test::HostHarness h;
    ExtensionProcess process;
    std::future<int> exitStatus;
};

TEST_F(ExtensionMainTest, NormalStartLogsInOrderAndServesUntilTheRunLoopReturns) {
    launch();
    EXPECT_EQ(timeline(), (std::vector<std::string>{
                              "log main default: KavornCameraExtension: Starting...",
                              "stdout: CameraDevice: Added source + sink streams to device",
                              "log main default: KavornCameraExtension: Created provider source",
                              "log main default: KavornCameraExtension: Added device to provider",
                              "log main default: KavornCameraExtension: Starting service...",
                          }));
    ASSERT_NE(process.providerSource, nullptr);
    EXPECT_EQ(h.host.provider(), &process.providerSource->provider());
    EXPECT_EQ(process.providerSource->provider().devices().size(), 1U);
    EXPECT_EQ(exitStatus.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout)
        << "the entry stays in its run loop";

    EXPECT_EQ(stopRunLoop(), 0);
    EXPECT_EQ(timeline().back(),
              "log main error: KavornCameraExtension: run loop exited unexpectedly");
    EXPECT_NE(process.providerSource, nullptr) << "nothing is torn down";
}

TEST_F(ExtensionMainTest, RefusedDeviceIsReportedAndTheServiceStartsAnyway) {
    h.host.failAddDevice(NSError("com.example.host", 3, "The provider is full"));
    launch();
    EXPECT_EQ(
        timeline(),
        (std::vector<std::string>{
            "log main default: KavornCameraExtension: Starting...",
            "stdout: CameraDevice: Added source + sink streams to device",
            "log main default: KavornCameraExtension: Created provider source",
            "log main error: KavornCameraExtension: Failed to add device: The provider is full",
            "log main default: KavornCameraExtension: Starting service...",
        }));
    EXPECT_TRUE(h.host.serviceStarted());
    EXPECT_TRUE(process.providerSource->provider().devices().empty());
}

TEST_F(ExtensionMainTest, FedFramesReachReadersAtOnceAndThePlaceholderTakesOverAfterwards) {
    launch();
    CMIOExtensionStream* output = h.host.findStream("Quorvelle Video");
    CMIOExtensionStream* sink = h.host.findStream("Quorvelle Sink");
    ASSERT_TRUE(output && sink);

    const std::int64_t start = h.time.now();
    h.host.connectClient(LoopbackHost::makeClient(100, "com.example.viewer"));
    h.host.authorizeClient(*output, LoopbackHost::makeClient(100, "com.example.viewer"));
    h.host.startStream(*output);
    h.time.settle();
    ASSERT_EQ(h.host.sentCount(), 1U) << "the placeholder at once";

    h.host.authorizeClient(*sink, LoopbackHost::makeClient(200, "com.example.companion"));
    h.host.startStream(*sink);
    std::int64_t lastFed = 0;
    for (int i = 0; i < 30; ++i) {
        h.advance(kTickNanoseconds / 2);
        auto frame = test::makeFrame(CMClockGetTime(CMClockGetHostTimeClock()));
        ASSERT_TRUE(h.host.completeRequest(
            *sink, LoopbackHost::ConsumeAnswer::buffer(frame, static_cast<std::uint64_t>(i))));
        EXPECT_EQ(h.host.sent().back().sampleBuffer, frame) << "frame " << i << " went out at once";
        lastFed = h.time.now();
    }
    EXPECT_EQ(h.host.sentCount(), 31U) << "no placeholder between fed frames";
    EXPECT_EQ(h.host.scheduledOutputs().size(), 30U);

    // The feed stops: the first tick at least 0.5 s later brings the placeholder back.
    std::int64_t tick = start;
    while (tick - lastFed < 500'000'000) {
        tick += kTickNanoseconds;
    }
    h.time.advanceTo(tick - 1);
    EXPECT_EQ(h.host.sentCount(), 31U);
    h.time.advanceTo(tick);
    ASSERT_EQ(h.host.sentCount(), 32U);
    EXPECT_EQ(h.host.sent().back().sampleBuffer->imageBuffer(),
              process.providerSource->device()->stream()->placeholder());
    h.advance(10 * kTickNanoseconds);
    EXPECT_EQ(h.host.sentCount(), 42U);
}

}  // namespace
}  // namespace kavorn
