// SPDX-License-Identifier: MIT
// The provider: construction, properties and client connections.
#include "extension/CameraProviderSource.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "device/CameraDevice.h"
#include "extension/CameraProviderSourceDelegate.h"
#include "platform/dispatch/DispatchQueue.h"
#include "support/HostHarness.h"

namespace kavorn {
namespace {

using ::testing::ElementsAre;
using Key = CMIOExtensionProperty;

class CameraProviderSourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(source.provider().addDevice(source.device()->extensionDevice()), std::nullopt);
        h.output.clear();
    }

    test::HostHarness h;
    CameraProviderSource source{nullptr};
};

TEST_F(CameraProviderSourceTest, WiresProviderDelegateAndDevice) {
    EXPECT_EQ(source.device()->provider().lock().get(), &source.provider());
    EXPECT_EQ(source.provider().source(), source.sourceDelegate());
    EXPECT_EQ(source.sourceDelegate()->device(), source.device());
    EXPECT_EQ(source.provider().clientQueue(), nullptr);
    EXPECT_FALSE(source.sourceDelegate()->deviceWasRemovedHandler);
    EXPECT_THAT(source.provider().devices(), ElementsAre(&source.device()->extensionDevice()));
}

TEST_F(CameraProviderSourceTest, AnswersOnlyTheKeysAskedForThatItKnows) {
    EXPECT_EQ(*h.host.providerAvailableProperties(),
              (CMIOExtensionPropertySet{Key::ProviderManufacturer, Key::ProviderName}));
    EXPECT_TRUE(h.host.providerProperties({})->isEmpty());

    auto nameOnly = *h.host.providerProperties({Key::ProviderName});
    EXPECT_EQ(nameOnly.name, "Quorvelle Camera Provider");
    EXPECT_FALSE(nameOnly.manufacturer.has_value());

    CMIOExtensionProviderProperties both;
    both.name = "Quorvelle Camera Provider";
    both.manufacturer = "Quorvelle";
    EXPECT_EQ(*h.host.providerProperties({Key::ProviderName, Key::ProviderManufacturer,
                                          Key::DeviceModel, Key::StreamFrameDuration}),
              both);

    CMIOExtensionProviderProperties change;
    change.name = "Other";
    change.manufacturer = "Other";
    EXPECT_EQ(*h.host.setProviderProperties(change), std::nullopt);
    EXPECT_EQ(*h.host.providerProperties({Key::ProviderName, Key::ProviderManufacturer}), both);
}

TEST_F(CameraProviderSourceTest, AcceptsEveryConnectionAndSaysSoOnStandardOutput) {
    auto client = LoopbackHost::makeClient(300, "com.example.viewer");
    EXPECT_EQ(*h.host.connectClient(client), std::nullopt);
    EXPECT_EQ(*h.host.connectClient(client), std::nullopt);
    // A client that never started the output stream disconnects like any other.
    EXPECT_EQ(h.host.disconnectClient(LoopbackHost::makeClient(301, std::nullopt)), true);
    EXPECT_THAT(h.output.lines(),
                ElementsAre("CameraProvider: Client connected", "CameraProvider: Client connected",
                            "CameraProvider: Client disconnected"));
    EXPECT_TRUE(h.output.logMessages().empty());
}

TEST_F(CameraProviderSourceTest, ADisconnectTakesTheClientOffTheOutputStreamsList) {
    auto& stream = *source.device()->stream();
    auto viewer = LoopbackHost::makeClient(302, "com.example.viewer");
    h.host.authorizeClient(stream.extensionStream(), viewer);
    h.host.authorizeClient(stream.extensionStream(),
                           LoopbackHost::makeClient(303, "com.example.b"));
    stream.timerQueue().sync([&] { EXPECT_EQ(stream.clients().entries().size(), 2U); });
    h.host.disconnectClient(viewer);
    stream.timerQueue().sync([&] {
        ASSERT_EQ(stream.clients().entries().size(), 1U);
        EXPECT_EQ(stream.clients().entries()[0].signingID, "com.example.b");
    });
}

TEST(CameraProviderSourceQueueTest, HostCallsComeOnTheClientQueueWhenOneIsGiven) {
    test::HostHarness h;
    auto queue = std::make_shared<DispatchQueue>("com.example.clients");
    CameraProviderSource source(queue);
    ASSERT_EQ(source.provider().addDevice(source.device()->extensionDevice()), std::nullopt);
    EXPECT_EQ(source.provider().clientQueue(), queue);

    // The delegate runs wherever it is called; the host chose the given queue.
    bool onQueue = false;
    queue->sync([&] { onQueue = queue->isCurrent(); });
    EXPECT_TRUE(onQueue);
    EXPECT_EQ(*h.host.connectClient(LoopbackHost::makeClient(5, "x")), std::nullopt);
    EXPECT_EQ(h.output.lines().back(), "CameraProvider: Client connected");
}

}  // namespace
}  // namespace kavorn
