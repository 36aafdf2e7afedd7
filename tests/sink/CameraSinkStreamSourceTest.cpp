// SPDX-License-Identifier: MIT
// What the sink stream's source answers the host.
#include "sink/CameraSinkStreamSource.h"

#include <gtest/gtest.h>

#include "sink/CameraSinkStream.h"
#include "support/HostHarness.h"

namespace kavorn {
namespace {

using Key = CMIOExtensionProperty;

class CameraSinkStreamSourceTest : public ::testing::Test {
protected:
    test::HostHarness h;
    std::shared_ptr<CameraSinkStream> sink = CameraSinkStream::create();
    CMIOExtensionStream& host() { return sink->extensionStream(); }
};

TEST_F(CameraSinkStreamSourceTest, IsNamedAndOffersTheOneFormat) {
    EXPECT_EQ(host().localizedName(), "Quorvelle Sink");
    EXPECT_EQ(host().direction(), CMIOExtensionStreamDirection::Sink);
    EXPECT_EQ(host().clockType(), CMIOExtensionStreamClockType::HostTime);
    EXPECT_NE(sink->streamID(), CameraSinkStream::create()->streamID());
    // The same one format as the output stream's (checked there in full).
    auto formats = *h.host.formats(host());
    ASSERT_EQ(formats.size(), 1U);
    EXPECT_EQ(formats[0].formatDescription->dimensions(), (CMVideoDimensions{1920, 1080}));
}

TEST_F(CameraSinkStreamSourceTest, AdvertisesFiveKeysAndNeverReportsEndOfData) {
    const CMIOExtensionPropertySet all{
        Key::StreamActiveFormatIndex, Key::StreamFrameDuration, Key::StreamSinkBufferQueueSize,
        Key::StreamSinkBuffersRequiredForStartup, Key::StreamSinkEndOfData};
    EXPECT_EQ(*h.host.availableProperties(host()), all);
    EXPECT_TRUE(h.host.streamProperties(host(), {})->isEmpty());

    CMIOExtensionStreamProperties expected;
    expected.activeFormatIndex = 0;
    expected.frameDuration = CMTimeMake(1, 30);
    expected.sinkBufferQueueSize = 6;
    expected.sinkBuffersRequiredForStartup = 1;
    auto withForeign = all;
    withForeign.insert(Key::DeviceModel);
    EXPECT_EQ(*h.host.streamProperties(host(), withForeign), expected);

    CMIOExtensionStreamProperties change;
    change.activeFormatIndex = 2;
    change.frameDuration = CMTimeMake(1, 60);
    change.sinkBufferQueueSize = 1;
    change.sinkEndOfData = true;
    EXPECT_EQ(*h.host.setStreamProperties(host(), change), std::nullopt);
    expected.activeFormatIndex = 2;
    EXPECT_EQ(*h.host.streamProperties(host(), all), expected);
    EXPECT_EQ(h.host.formats(host())->size(), 1U);
}

TEST_F(CameraSinkStreamSourceTest, AdmitsEveryClientAndKeepsTheLatest) {
    auto first = LoopbackHost::makeClient(10, "com.example.one");
    auto second = LoopbackHost::makeClient(11, std::nullopt);
    EXPECT_EQ(h.host.authorizeClient(host(), first), true);
    EXPECT_EQ(h.host.authorizeClient(host(), second), true);
    EXPECT_EQ(sink->client(), second);
}

TEST_F(CameraSinkStreamSourceTest, ReportsSuccessWithoutAClientAndAfterTheStreamIsGone) {
    EXPECT_EQ(*h.host.startStream(host()), std::nullopt);
    EXPECT_FALSE(sink->isConsuming());
    EXPECT_EQ(*h.host.stopStream(host()), std::nullopt);

    std::shared_ptr<CameraSinkStreamSource> source = sink->streamSource();
    sink.reset();
    EXPECT_TRUE(source->authorizedToStartStreamForClient(LoopbackHost::makeClient(1, "x")));
    EXPECT_EQ(source->startStream(), std::nullopt);
    EXPECT_EQ(source->stopStream(), std::nullopt);
}

}  // namespace
}  // namespace kavorn
