// SPDX-License-Identifier: MIT
// What the output stream's source answers the host.
#include "stream/CameraStreamSource.h"

#include <gtest/gtest.h>

#include "platform/media/MediaFaults.h"
#include "stream/CameraStream.h"
#include "support/HostHarness.h"

namespace kavorn {
namespace {

using Key = CMIOExtensionProperty;

class CameraStreamSourceTest : public ::testing::Test {
protected:
    test::HostHarness h;
    std::shared_ptr<CameraStream> stream = CameraStream::create();
    CMIOExtensionStream& host() { return stream->extensionStream(); }
};

TEST_F(CameraStreamSourceTest, OffersOneFormatAndTheHostStreamIsNamed) {
    EXPECT_EQ(host().localizedName(), "Quorvelle Video");
    EXPECT_EQ(host().direction(), CMIOExtensionStreamDirection::Source);
    EXPECT_EQ(host().clockType(), CMIOExtensionStreamClockType::HostTime);
    EXPECT_EQ(host().streamID(), stream->streamID());

    for (int call = 0; call < 2; ++call) {
        auto formats = h.host.formats(host());
        ASSERT_TRUE(formats.has_value());
        ASSERT_EQ(formats->size(), 1U);
        const auto& format = formats->front();
        EXPECT_EQ(format.formatDescription->mediaSubType(), 0x42475241U);
        EXPECT_EQ(format.formatDescription->dimensions(), (CMVideoDimensions{1920, 1080}));
        EXPECT_EQ(format.minFrameDuration, CMTimeMake(1, 60));
        EXPECT_EQ(format.maxFrameDuration, CMTimeMake(1, 30));
        EXPECT_FALSE(format.validFrameDurations.has_value());
    }
    ScopedMediaFault fault(MediaCall::CMVideoFormatDescriptionCreate);
    EXPECT_TRUE(h.host.formats(host())->empty());
}

TEST_F(CameraStreamSourceTest, AnswersOnlyTheKeysAskedForThatItKnows) {
    EXPECT_EQ(*h.host.availableProperties(host()),
              (CMIOExtensionPropertySet{Key::StreamActiveFormatIndex, Key::StreamFrameDuration}));
    EXPECT_TRUE(h.host.streamProperties(host(), {})->isEmpty());

    auto both =
        *h.host.streamProperties(host(), {Key::StreamActiveFormatIndex, Key::StreamFrameDuration,
                                          Key::StreamSinkBufferQueueSize, Key::ProviderName});
    CMIOExtensionStreamProperties expected;
    expected.activeFormatIndex = 0;
    expected.frameDuration = CMTimeMake(1, 30);
    EXPECT_EQ(both, expected);

    auto onlyDuration = *h.host.streamProperties(host(), {Key::StreamFrameDuration});
    EXPECT_FALSE(onlyDuration.activeFormatIndex.has_value());
    EXPECT_EQ(onlyDuration.frameDuration, CMTimeMake(1, 30));
}

TEST_F(CameraStreamSourceTest, KeepsAnyActiveFormatIndexAndIgnoresEverythingElse) {
    CMIOExtensionStreamProperties change;
    change.activeFormatIndex = 3;
    EXPECT_EQ(*h.host.setStreamProperties(host(), change), std::nullopt);

    CMIOExtensionStreamProperties duration;
    duration.frameDuration = CMTimeMake(1, 60);
    duration.sinkBufferQueueSize = 2;
    EXPECT_EQ(*h.host.setStreamProperties(host(), duration), std::nullopt);

    auto answer =
        *h.host.streamProperties(host(), {Key::StreamActiveFormatIndex, Key::StreamFrameDuration});
    EXPECT_EQ(answer.activeFormatIndex, 3);
    EXPECT_EQ(answer.frameDuration, CMTimeMake(1, 30));
    EXPECT_EQ(h.host.formats(host())->size(), 1U);

    // The frames stay 1920x1080 whatever index is set.
    h.host.startStream(host());
    stream->timerQueue().sync([] {});
    ASSERT_EQ(h.host.sentCount(), 1U);
    EXPECT_EQ(CMSampleBufferGetFormatDescription(h.host.sent()[0].sampleBuffer)->dimensions(),
              (CMVideoDimensions{1920, 1080}));
}

TEST_F(CameraStreamSourceTest, AdmitsEveryClientAndStartsAndStopsTheStream) {
    EXPECT_EQ(h.host.authorizeClient(host(), LoopbackHost::makeClient(4242, "com.example.app")),
              true);
    EXPECT_EQ(h.host.authorizeClient(host(), LoopbackHost::makeClient(-1, std::nullopt)), true);

    EXPECT_EQ(*h.host.startStream(host()), std::nullopt);
    EXPECT_TRUE(stream->isStreaming());
    EXPECT_EQ(*h.host.startStream(host()), std::nullopt);
    EXPECT_EQ(*h.host.stopStream(host()), std::nullopt);
    EXPECT_FALSE(stream->isStreaming());
    EXPECT_EQ(*h.host.stopStream(host()), std::nullopt);
}

TEST_F(CameraStreamSourceTest, StillAnswersAfterTheStreamIsGone) {
    std::shared_ptr<CameraStreamSource> source = stream->streamSource();
    stream.reset();

    EXPECT_TRUE(source->authorizedToStartStreamForClient(LoopbackHost::makeClient(7, "x")));
    EXPECT_EQ(source->startStream(), std::nullopt);
    EXPECT_EQ(source->stopStream(), std::nullopt);
    EXPECT_EQ(source->formats().size(), 1U);
    EXPECT_EQ(source->streamPropertiesForProperties({Key::StreamFrameDuration}).frameDuration,
              CMTimeMake(1, 30));
    EXPECT_EQ(h.host.sentCount(), 0U);
}

}  // namespace
}  // namespace kavorn
