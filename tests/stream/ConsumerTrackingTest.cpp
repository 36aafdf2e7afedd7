// SPDX-License-Identifier: MIT
// The output stream keeps the consumer report current: on virtual time.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include "platform/storage/AtomicFile.h"
#include "shared/ConsumerReport.h"
#include "stream/CameraStream.h"
#include "stream/CameraStreamSource.h"
#include "support/HostHarness.h"

namespace kavorn {
namespace {

using test::kTickNanoseconds;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

CMIOExtensionClientRef client(const UUID& id, pid_t pid, std::optional<std::string> signingID) {
    return std::make_shared<const CMIOExtensionClient>(
        CMIOExtensionClient{id, pid, std::move(signingID)});
}

// A process number that no process has any more.
pid_t endedProcess() {
    const pid_t child = fork();
    if (child == 0) {
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return child;
}

class ConsumerTrackingTest : public ::testing::Test {
protected:
    // The report on disk, or none. Its "at" follows virtual time, so every publication is told
    // apart from the one before.
    std::optional<ConsumerReport> report() {
        settle();
        auto bytes = readWholeFile(h.home.reportPath(), 1 << 16);
        return bytes ? ConsumerReport::decode(*bytes) : std::nullopt;
    }
    double wallNow() const { return kEpoch + static_cast<double>(h.time.now()) / 1e9; }
    void settle() {
        stream->timerQueue().sync([] {});
    }
    void start() { h.host.startStream(stream->extensionStream()); }
    void stop() { h.host.stopStream(stream->extensionStream()); }
    void admit(const CMIOExtensionClientRef& c) {
        h.host.authorizeClient(stream->extensionStream(), c);
    }

    static constexpr double kEpoch = 700'000'000;
    test::HostHarness h;
    ScopedWallClock wall{[this] { return wallNow(); }};
    std::shared_ptr<CameraStream> stream = CameraStream::create();
    const UUID viewer = UUID::random();
};

TEST_F(ConsumerTrackingTest, AnAdmissionWhileStoppedIsRecordedQuietlyAndListedAtStart) {
    admit(client(viewer, getpid(), "com.example.viewer"));
    EXPECT_EQ(report(), std::nullopt) << "nothing published while stopped";

    h.advance(1'000'000'000);
    start();
    auto published = report();
    ASSERT_TRUE(published);
    EXPECT_TRUE(published->consumed);
    EXPECT_THAT(*published->clients, ElementsAre("com.example.viewer"));
    EXPECT_DOUBLE_EQ(published->at, wallNow());
}

TEST_F(ConsumerTrackingTest, StopEmptiesTheListAndPublishesNotConsumed) {
    start();
    admit(client(viewer, getpid(), "com.example.viewer"));
    EXPECT_THAT(*report()->clients, ElementsAre("com.example.viewer"));
    h.advance(kTickNanoseconds / 2);
    stop();
    auto published = report();
    EXPECT_FALSE(published->consumed);
    EXPECT_THAT(*published->clients, IsEmpty());
    EXPECT_DOUBLE_EQ(published->at, wallNow());
    stream->timerQueue().sync([&] { EXPECT_TRUE(stream->clients().entries().empty()); });

    // A restart lists nobody until somebody is admitted again.
    h.advance(kTickNanoseconds / 2);
    start();
    EXPECT_TRUE(report()->consumed);
    EXPECT_THAT(*report()->clients, IsEmpty());
}

TEST_F(ConsumerTrackingTest, ReAdmissionReplacesTheEntryAndRepublishes) {
    start();
    admit(client(viewer, getpid(), "com.example.old"));
    const double first = report()->at;
    h.advance(kTickNanoseconds / 2);
    admit(client(viewer, getpid(), "com.example.new"));
    auto published = report();
    EXPECT_GT(published->at, first);
    EXPECT_THAT(*published->clients, ElementsAre("com.example.new"));
}

TEST_F(ConsumerTrackingTest, DisconnectsRepublishOnlyWhenTheListChanged) {
    start();
    admit(client(viewer, getpid(), "com.example.viewer"));
    const double admitted = report()->at;

    h.advance(kTickNanoseconds / 2);
    stream->clientDisconnected(client(UUID::random(), getpid(), "com.example.stranger"));
    EXPECT_DOUBLE_EQ(report()->at, admitted) << "an unknown client publishes nothing";

    stream->clientDisconnected(client(viewer, getpid(), std::nullopt));
    auto published = report();
    EXPECT_GT(published->at, admitted);
    EXPECT_TRUE(published->consumed) << "a running stream with nobody listed is still consumed";
    EXPECT_THAT(*published->clients, IsEmpty());

    // While stopped, disconnects only change the list.
    admit(client(viewer, getpid(), "com.example.viewer"));
    stop();
    const double stopped = report()->at;
    h.advance(kTickNanoseconds);
    admit(client(viewer, getpid(), "com.example.viewer"));
    stream->clientDisconnected(client(viewer, getpid(), std::nullopt));
    EXPECT_DOUBLE_EQ(report()->at, stopped);
}

TEST_F(ConsumerTrackingTest, TwoClientsOfOneApplicationAreListedOnceUntilTheLastLeaves) {
    start();
    const UUID second = UUID::random();
    admit(client(viewer, getpid(), "com.example.app"));
    admit(client(second, getpid(), "com.example.app"));
    admit(client(UUID::random(), getpid(), std::nullopt));
    EXPECT_THAT(*report()->clients,
                ElementsAre("com.example.app", "pid:" + std::to_string(getpid())));
    stream->clientDisconnected(client(viewer, 0, std::nullopt));
    EXPECT_THAT(*report()->clients,
                ElementsAre("com.example.app", "pid:" + std::to_string(getpid())));
    stream->clientDisconnected(client(second, 0, std::nullopt));
    EXPECT_THAT(*report()->clients, ElementsAre("pid:" + std::to_string(getpid())));
}

TEST_F(ConsumerTrackingTest, RefreshesAboutEveryFiveSecondsAndDropsEndedProcesses) {
    const std::int64_t t0 = h.time.now();
    start();
    admit(client(viewer, getpid(), "com.example.alive"));
    admit(client(UUID::random(), endedProcess(), "com.example.gone"));
    EXPECT_THAT(*report()->clients, ElementsAre("com.example.alive", "com.example.gone"));
    const double admitted = report()->at;

    // The first tick more than 5 s after the last publication is tick 151 (5.033 s).
    h.time.advanceTo(t0 + 150 * kTickNanoseconds);
    EXPECT_DOUBLE_EQ(report()->at, admitted);
    EXPECT_THAT(*report()->clients, ElementsAre("com.example.alive", "com.example.gone"));
    h.time.advanceTo(t0 + 151 * kTickNanoseconds);
    auto refreshed = report();
    EXPECT_DOUBLE_EQ(refreshed->at, wallNow());
    EXPECT_THAT(*refreshed->clients, ElementsAre("com.example.alive"));

    // With nothing changing, the same content again about every 5 s.
    std::vector<double> times{refreshed->at};
    for (int i = 0; i < 3; ++i) {
        h.advance(151 * kTickNanoseconds);
        times.push_back(report()->at);
        EXPECT_THAT(*report()->clients, ElementsAre("com.example.alive"));
    }
    for (std::size_t i = 1; i < times.size(); ++i) {
        EXPECT_NEAR(times[i] - times[i - 1], 5.0 + 1.0 / 30, 0.001);
    }
}

TEST_F(ConsumerTrackingTest, AdmissionWithoutAStreamRecordsNothing) {
    std::shared_ptr<CameraStreamSource> source = stream->streamSource();
    stream.reset();
    EXPECT_TRUE(source->authorizedToStartStreamForClient(client(viewer, 1, "x")));
    EXPECT_FALSE(std::filesystem::exists(h.home.reportPath()));
    stream = CameraStream::create();  // for the fixture's own teardown
}

}  // namespace
}  // namespace kavorn
