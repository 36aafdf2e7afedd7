// SPDX-License-Identifier: MIT
// The camera device: identity, properties, stream registration and sink forwarding.
#include "device/CameraDevice.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "device/CameraDeviceSource.h"
#include "support/Frames.h"
#include "support/HostHarness.h"

namespace kavorn {
namespace {

using ::testing::ElementsAre;
using Key = CMIOExtensionProperty;

class CameraDeviceTest : public ::testing::Test {
protected:
    test::HostHarness h;
};

TEST_F(CameraDeviceTest, IsNamedWithAFreshIdentifierAndCarriesBothStreams) {
    auto device = CameraDevice::create();
    auto other = CameraDevice::create();
    EXPECT_NE(device->deviceID(), other->deviceID());
    EXPECT_EQ(device->extensionDevice().localizedName(), "Quorvelle Camera");
    EXPECT_EQ(device->extensionDevice().deviceID(), device->deviceID());
    EXPECT_FALSE(device->extensionDevice().legacyDeviceID().has_value());
    EXPECT_THAT(device->extensionDevice().streams(),
                ElementsAre(&device->stream()->extensionStream(),
                            &device->sinkStream()->extensionStream()));
    EXPECT_THAT(h.output.lines(),
                ElementsAre("CameraDevice: Added source + sink streams to device",
                            "CameraDevice: Added source + sink streams to device"));
}

TEST_F(CameraDeviceTest, AnswersModelAndTransportTypeOnly) {
    auto device = CameraDevice::create();
    const auto& hostDevice = device->extensionDevice();
    EXPECT_EQ(*h.host.deviceAvailableProperties(hostDevice),
              (CMIOExtensionPropertySet{Key::DeviceTransportType, Key::DeviceModel}));
    EXPECT_TRUE(h.host.deviceProperties(hostDevice, {})->isEmpty());
    auto both = *h.host.deviceProperties(
        hostDevice, {Key::DeviceTransportType, Key::DeviceModel, Key::ProviderName});
    EXPECT_EQ(both.transportType, 0x76697274U);
    EXPECT_EQ(both.transportType, 1986622068U);
    EXPECT_EQ(both.model, "Quorvelle Virtual Camera");

    CMIOExtensionDeviceProperties change;
    change.model = "Something else";
    change.transportType = 1;
    EXPECT_EQ(*h.host.setDeviceProperties(hostDevice, change), std::nullopt);
    EXPECT_EQ(*h.host.deviceProperties(hostDevice, {Key::DeviceTransportType, Key::DeviceModel}),
              both);
}

TEST_F(CameraDeviceTest, RefusedOutputStreamGivesOneLineAndTheSinkIsNeverOffered) {
    const NSError refusal("com.example.host", 42, "No room for streams");
    h.host.failAddStream(refusal);
    auto device = CameraDevice::create();
    EXPECT_THAT(h.output.lines(),
                ElementsAre("CameraDevice: Failed to add stream: Error Domain=com.example.host "
                            "Code=42 \"No room for streams\" UserInfo={NSLocalizedDescription=No "
                            "room for streams}"));
    EXPECT_THAT(h.host.offeredStreams(), ElementsAre("Quorvelle Video"));
    EXPECT_TRUE(device->extensionDevice().streams().empty());
}

TEST_F(CameraDeviceTest, RefusedSinkStreamGivesOneLineAndKeepsTheOutput) {
    h.host.failAddStream(NSError("com.example.host", 7, "Sinks are off"), "Quorvelle Sink");
    auto device = CameraDevice::create();
    EXPECT_THAT(h.output.lines(),
                ElementsAre("CameraDevice: Failed to add stream: Error Domain=com.example.host "
                            "Code=7 \"Sinks are off\" UserInfo={NSLocalizedDescription=Sinks are "
                            "off}"));
    EXPECT_THAT(h.host.offeredStreams(), ElementsAre("Quorvelle Video", "Quorvelle Sink"));
    EXPECT_THAT(device->extensionDevice().streams(),
                ElementsAre(&device->stream()->extensionStream()));
}

TEST_F(CameraDeviceTest, EverySinkBufferReachesTheOutputExactlyOnce) {
    auto device = CameraDevice::create();
    auto& output = device->stream()->extensionStream();
    auto& sink = device->sinkStream()->extensionStream();
    h.host.authorizeClient(output, LoopbackHost::makeClient(100, "com.example.viewer"));
    h.host.startStream(output);
    device->stream()->timerQueue().sync([] {});
    h.host.authorizeClient(sink, LoopbackHost::makeClient(200, "com.example.companion"));
    h.host.startStream(sink);

    std::vector<CMSampleBufferRef> fed;
    for (int i = 0; i < 20; ++i) {
        h.advance(10'000'000);
        fed.push_back(test::makeFrame(CMTimeMake(i, 30)));
        ASSERT_TRUE(h.host.completeRequest(
            sink, LoopbackHost::ConsumeAnswer::buffer(fed.back(), static_cast<std::uint64_t>(i))));
        // Sent at once, on the completing thread.
        EXPECT_EQ(h.host.sent().back().sampleBuffer, fed.back());
    }
    const auto sent = h.host.sent();
    for (const auto& frame : fed) {
        EXPECT_EQ(std::count_if(sent.begin(), sent.end(),
                                [&](const auto& s) { return s.sampleBuffer == frame; }),
                  1);
    }
    EXPECT_EQ(sent.size(), 1 + fed.size()) << "one placeholder before the feed, none during it";
}

TEST_F(CameraDeviceTest, SinkBuffersAfterTheDeviceIsGoneAreDropped) {
    auto device = CameraDevice::create();
    std::shared_ptr<CameraSinkStream> sink = device->sinkStream();
    std::shared_ptr<CameraStream> output = device->stream();
    output->startStreaming();
    output->timerQueue().sync([] {});
    sink->setClient(LoopbackHost::makeClient(1, "com.example.companion"));
    sink->startConsuming();
    const std::size_t before = h.host.sentCount();

    std::weak_ptr<CameraDevice> weak = device;
    device.reset();
    ASSERT_TRUE(weak.expired()) << "the streams and the callback do not keep the device alive";
    ASSERT_TRUE(h.host.completeRequest(
        sink->extensionStream(),
        LoopbackHost::ConsumeAnswer::buffer(test::makeFrame(CMTimeMake(1, 1)), 1)));
    EXPECT_EQ(h.host.sentCount(), before);
    EXPECT_EQ(h.host.scheduledOutputs().size(), 1U) << "the sink still reports it";
    output->stopStreaming();
}

}  // namespace
}  // namespace kavorn
