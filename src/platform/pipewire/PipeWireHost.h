// SPDX-License-Identifier: MIT
// The real host: the camera's streams as PipeWire nodes that every video application can read.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <pipewire/pipewire.h>

#include "platform/cmio/Host.h"
#include "platform/log/Logger.h"
#include "platform/pipewire/ClientTracker.h"
#include "platform/pipewire/OutputNode.h"
#include "platform/pipewire/SinkNode.h"

namespace kavorn {

// One PipeWire thread loop carries everything: node callbacks, calls into the sources, and sink
// completions. Host operations from other threads take the thread-loop lock.
//
// When the daemon goes away, the nodes stop (the streams stop, the clients disconnect) and the
// host connects again with growing pauses, then rebuilds the nodes. The logic is never rebuilt.
class PipeWireHost final : public Host {
public:
    struct Options {
        std::string logSubsystem;
        std::string outputNodeName;
        std::string sinkNodeName;
    };

    struct Statistics {
        OutputNode::Statistics output;
        SinkNode::Statistics sink;
        std::uint64_t scheduledOutputs = 0;
        std::uint64_t reconnections = 0;
    };

    explicit PipeWireHost(Options options);
    ~PipeWireHost() override;
    PipeWireHost(const PipeWireHost&) = delete;
    PipeWireHost& operator=(const PipeWireHost&) = delete;

    // Connects to the daemon ($PIPEWIRE_REMOTE, or the default socket). False, with the
    // reason, when none answers.
    bool connect(std::string& error);

    MaybeError addDevice(CMIOExtensionProvider& provider, CMIOExtensionDevice& device) override;
    MaybeError addStream(CMIOExtensionDevice& device, CMIOExtensionStream& stream) override;
    void startService(CMIOExtensionProvider& provider) override;
    void sendSampleBuffer(const CMIOExtensionStream& stream, const CMSampleBufferRef& sampleBuffer,
                          CMIOExtensionStreamDiscontinuityFlags discontinuity,
                          std::uint64_t hostTimeInNanoseconds) override;
    void consumeSampleBuffer(const CMIOExtensionStream& stream,
                             const CMIOExtensionClientRef& client,
                             CMIOExtensionConsumeCompletion completion) override;
    void notifyScheduledOutputChanged(const CMIOExtensionStream& stream,
                                      const CMIOExtensionScheduledOutput& output) override;

    Statistics statistics();

private:
    static void onCoreError(void* data, std::uint32_t id, int seq, int res, const char* message);
    static void onReconnect(void* data, std::uint64_t expirations);

    bool connectCore(std::string& error);
    void buildNodes();
    void teardown();
    void scheduleReconnect(int delayMs);
    void refreshOurNodes();
    pw_properties* nodeProperties(const CMIOExtensionStream& stream, bool output);
    void onStreaming(CMIOExtensionStream& stream, bool streaming);
    void callProvider(const std::function<void(CMIOExtensionProviderSource&)>& call);

    const Options options_;
    const Logger log_;
    pw_thread_loop* loop_ = nullptr;
    pw_context* context_ = nullptr;
    pw_core* core_ = nullptr;
    spa_hook coreListener_{};
    pw_core_events coreEvents_{};
    pw_registry* registry_ = nullptr;
    spa_source* reconnectTimer_ = nullptr;
    int backoffMs_ = 100;
    bool lost_ = false;

    CMIOExtensionProvider* provider_ = nullptr;
    std::vector<CMIOExtensionDevice*> devices_;
    std::vector<std::unique_ptr<OutputNode>> outputs_;
    std::vector<std::unique_ptr<SinkNode>> sinks_;
    ClientTracker tracker_;
    bool serviceStarted_ = false;
    std::atomic<std::uint64_t> scheduledOutputs_{0};
    std::uint64_t reconnections_ = 0;
};

}  // namespace kavorn
