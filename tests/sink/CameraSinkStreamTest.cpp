// SPDX-License-Identifier: MIT
// The sink's request loop against the loopback host.
#include "sink/CameraSinkStream.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "support/Frames.h"
#include "support/HostHarness.h"

namespace kavorn {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class CameraSinkStreamTest : public ::testing::Test {
protected:
    void SetUp() override {
        sink->setOnBuffer([this](const CMSampleBufferRef& buffer) {
            // The report of a buffer comes after its hand-over, never before.
            reportsWhenHandedOver.push_back(h.host.scheduledOutputs().size());
            handedOver.push_back(buffer);
        });
    }

    CMIOExtensionStream& host() { return sink->extensionStream(); }
    std::size_t outstanding() { return h.host.outstandingRequests(host()); }
    void admit(const CMIOExtensionClientRef& client) {
        ASSERT_EQ(h.host.authorizeClient(host(), client), true);
    }
    void start() { ASSERT_EQ(*h.host.startStream(host()), std::nullopt); }
    void stop() { ASSERT_EQ(*h.host.stopStream(host()), std::nullopt); }
    bool complete(CMSampleBufferRef buffer, std::uint64_t sequence = 0,
                  std::optional<NSError> error = std::nullopt) {
        return h.host.completeRequest(host(), {std::move(buffer), sequence, 0, false, error});
    }
    std::vector<std::string> sinkLog() { return h.output.logMessages("sink"); }

    test::HostHarness h;
    std::shared_ptr<CameraSinkStream> sink = CameraSinkStream::create();
    CMIOExtensionClientRef companion = LoopbackHost::makeClient(4321, "com.example.companion");
    std::vector<CMSampleBufferRef> handedOver;
    std::vector<std::size_t> reportsWhenHandedOver;
};

TEST_F(CameraSinkStreamTest, StartsOnlyOnceAClientIsAdmittedAndOnlyOnce) {
    start();
    EXPECT_EQ(outstanding(), 0U);
    EXPECT_THAT(sinkLog(), IsEmpty());
    EXPECT_FALSE(sink->isConsuming());

    admit(companion);
    start();
    start();
    EXPECT_EQ(outstanding(), 1U);
    EXPECT_EQ(h.host.oldestRequestClient(host()), companion);
    EXPECT_THAT(sinkLog(), ElementsAre("Sink: start consuming"));

    stop();
    stop();
    EXPECT_THAT(sinkLog(), ElementsAre("Sink: start consuming", "Sink: stop consuming",
                                       "Sink: stop consuming"));
    const auto records = h.output.records();
    for (const auto& record : records) {
        EXPECT_EQ(record.subsystem, "com.vennardholtdigitalco.kavorn.camera-extension");
        EXPECT_EQ(record.level, LogLevel::Default);
    }
}

TEST_F(CameraSinkStreamTest, EachBufferIsHandedOverThenReportedThenTheNextIsAskedFor) {
    admit(companion);
    start();
    struct Case {
        CMTime pts;
        std::uint64_t sequence;
        std::uint64_t hostTime;
    };
    const std::vector<Case> cases{
        {CMTimeMake(3, 2), 0, 1'500'000'000},
        {CMTimeMake(1, 3), 7, 333'333'333},
        {CMTimeMake(2, 3), UINT64_MAX, 666'666'667},  // half away from zero
        {CMTimeMake(-1, 3), 42, 0},                   // before zero: reported as 0
        {CMTimeMake(123'456'789'012'345, 1'000'000), 1U << 31, 123'456'789'012'345'000},
    };
    std::vector<CMSampleBufferRef> fed;
    for (const Case& c : cases) {
        fed.push_back(test::makeFrame(c.pts));
        ASSERT_TRUE(complete(fed.back(), c.sequence));
        EXPECT_EQ(outstanding(), 1U) << "exactly one new request";
    }
    EXPECT_EQ(handedOver, fed);
    EXPECT_EQ(reportsWhenHandedOver, (std::vector<std::size_t>{0, 1, 2, 3, 4}));
    const auto reports = h.host.scheduledOutputs();
    ASSERT_EQ(reports.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(reports[i].streamID, sink->streamID());
        EXPECT_EQ(reports[i].output.sequenceNumber, cases[i].sequence);
        EXPECT_EQ(reports[i].output.hostTimeInNanoseconds, cases[i].hostTime) << i;
    }
    EXPECT_THAT(sinkLog(), ElementsAre("Sink: start consuming"));
}

TEST_F(CameraSinkStreamTest, ErrorsAndEmptyAnswersAskAgainAtOnce) {
    admit(companion);
    start();
    ASSERT_TRUE(complete(nullptr, 0, NSError("com.example", 5, "The client went quiet")));
    EXPECT_EQ(outstanding(), 1U);
    ASSERT_TRUE(complete(nullptr));
    EXPECT_EQ(outstanding(), 1U);
    // An error that comes with a buffer is ignored.
    ASSERT_TRUE(complete(test::makeFrame(CMTimeMake(1, 1)), 3, NSError("x", 1, "ignored")));
    EXPECT_EQ(outstanding(), 1U);

    EXPECT_EQ(handedOver.size(), 1U);
    EXPECT_EQ(h.host.scheduledOutputs().size(), 1U);
    EXPECT_THAT(sinkLog(), ElementsAre("Sink: start consuming",
                                       "Sink: consume failed: The client went quiet"));
    EXPECT_EQ(h.output.records().back().level, LogLevel::Error);
}

TEST_F(CameraSinkStreamTest, ACompletionAfterStopStillDeliversButAsksForNoMore) {
    admit(companion);
    start();
    stop();
    ASSERT_TRUE(complete(test::makeFrame(CMTimeMake(1, 1)), 9));
    EXPECT_EQ(handedOver.size(), 1U);
    EXPECT_EQ(h.host.scheduledOutputs().size(), 1U);
    EXPECT_EQ(outstanding(), 0U);

    // Starting again resumes with the client admitted before.
    start();
    EXPECT_EQ(outstanding(), 1U);
    EXPECT_EQ(h.host.oldestRequestClient(host()), companion);
}

TEST_F(CameraSinkStreamTest, StopAndStartWithARequestOutKeepOneRequestGoing) {
    admit(companion);
    start();
    stop();
    start();
    EXPECT_EQ(outstanding(), 2U) << "the old request is still out, and the new run asked";
    ASSERT_TRUE(complete(test::makeFrame(CMTimeMake(1, 1))));  // the old run's request
    EXPECT_EQ(outstanding(), 1U) << "the old run asks for nothing more";
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(complete(nullptr));
        EXPECT_EQ(outstanding(), 1U);
    }
    EXPECT_EQ(handedOver.size(), 1U);
}

// A host that keeps a request's completion even after its stream is gone.
class KeepingHost final : public Host {
public:
    MaybeError addDevice(CMIOExtensionProvider&, CMIOExtensionDevice&) override { return {}; }
    MaybeError addStream(CMIOExtensionDevice&, CMIOExtensionStream&) override { return {}; }
    void startService(CMIOExtensionProvider&) override {}
    void sendSampleBuffer(const CMIOExtensionStream&, const CMSampleBufferRef&,
                          CMIOExtensionStreamDiscontinuityFlags, std::uint64_t) override {}
    void consumeSampleBuffer(const CMIOExtensionStream&, const CMIOExtensionClientRef&,
                             CMIOExtensionConsumeCompletion completion) override {
        completions.push_back(std::move(completion));
    }
    void notifyScheduledOutputChanged(const CMIOExtensionStream&,
                                      const CMIOExtensionScheduledOutput&) override {
        ++reports;
    }

    std::vector<CMIOExtensionConsumeCompletion> completions;
    int reports = 0;
};

TEST(CameraSinkStreamLifetimeTest, ACompletionAfterTheStreamIsGoneDoesNothing) {
    KeepingHost host;
    ScopedHost scope(host);
    OutputCapture output;
    auto sink = CameraSinkStream::create();
    int handedOver = 0;
    sink->setOnBuffer([&](const CMSampleBufferRef&) { ++handedOver; });
    sink->setClient(LoopbackHost::makeClient(1, "com.example.companion"));
    sink->startConsuming();
    ASSERT_EQ(host.completions.size(), 1U);

    std::weak_ptr<CameraSinkStream> weak = sink;
    sink.reset();
    ASSERT_TRUE(weak.expired()) << "an outstanding request does not keep the stream alive";
    host.completions[0](test::makeFrame(CMTimeMake(1, 1)), 1, 0, false, std::nullopt);
    host.completions[0](nullptr, 0, 0, false, NSError("x", 1, "failed"));

    EXPECT_EQ(handedOver, 0);
    EXPECT_EQ(host.reports, 0);
    EXPECT_EQ(host.completions.size(), 1U) << "nothing more is asked for";
    EXPECT_THAT(output.logMessages(), ElementsAre("Sink: start consuming"));
}

TEST_F(CameraSinkStreamTest, ALaterAdmissionTakesEffectWithTheNextRequest) {
    admit(companion);
    start();
    auto second = LoopbackHost::makeClient(99, std::nullopt);
    admit(second);
    EXPECT_EQ(sink->client(), second);
    EXPECT_EQ(h.host.oldestRequestClient(host()), companion);
    ASSERT_TRUE(complete(nullptr));
    EXPECT_EQ(h.host.oldestRequestClient(host()), second);
}

TEST_F(CameraSinkStreamTest, AdmissionsRacingCompletionsAreSafe) {
    admit(companion);
    start();
    std::atomic<bool> done{false};
    std::thread admitting([&] {
        for (int i = 0; i < 2000; ++i) {
            sink->setClient(LoopbackHost::makeClient(i, "com.example.racer"));
        }
        done = true;
    });
    int completions = 0;
    // Race for as long as the admissions go on, and at least for a few hundred completions.
    while (!done || completions < 300) {
        if (complete(nullptr)) {
            ++completions;
        }
    }
    admitting.join();
    EXPECT_GT(completions, 0);
    EXPECT_EQ(outstanding(), 1U);
    EXPECT_EQ(sink->client()->pid, 1999);
}

}  // namespace
}  // namespace kavorn
