// SPDX-License-Identifier: MIT
// The camera's sink stream as a PipeWire Video/Sink node the companion app writes into.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>

#include <pipewire/pipewire.h>
#include <spa/param/video/raw.h>

#include "platform/cmio/CMIOExtensionStream.h"
#include "platform/log/Logger.h"

namespace kavorn {

// Made once per host stream and kept; its pw_stream is made anew on every connection to the
// daemon. All methods run under the thread-loop lock; callbacks and completions come on the
// loop's thread.
//
// Incoming buffers wait (six at most, the oldest giving way) until the sink stream asks for
// one. Each request is answered with the oldest waiting buffer, wrapped without a copy; the
// buffer goes back to PipeWire when the last reference to its pixel buffer goes.
class SinkNode {
public:
    struct Statistics {
        std::uint64_t framesDelivered = 0;
        std::uint64_t framesRefused = 0;  // wrong size, stride or format
        std::uint64_t framesOverrun = 0;  // dropped while nobody asked for them
    };

    static constexpr std::size_t kMaxWaiting = 6;

    SinkNode(CMIOExtensionStream& stream, pw_thread_loop* loop, const Logger& log,
             std::function<void(bool)> onStreaming);
    ~SinkNode();
    SinkNode(const SinkNode&) = delete;
    SinkNode& operator=(const SinkNode&) = delete;

    bool connect(pw_core* core, pw_properties* properties);
    void disconnect();

    std::uint32_t nodeId() const;
    bool isStreaming() const { return streaming_; }
    const CMIOExtensionStream& stream() const { return stream_; }
    const Statistics& statistics() const { return statistics_; }

    // Answers at once on the loop's thread when a buffer waits, else with the next to come.
    void consume(CMIOExtensionConsumeCompletion completion);

private:
    static void onStateChanged(void* data, pw_stream_state old, pw_stream_state state,
                               const char* error);
    static void onParamChanged(void* data, std::uint32_t id, const spa_pod* param);
    static void onProcess(void* data);
    static void onDeliver(void* data, std::uint64_t count);

    void deliver();
    // Wraps a buffer as a sample buffer, or none when it is not a whole 1920x1080 BGRA frame.
    // `taken` says whether the wrapping now owns the buffer's return to PipeWire.
    CMSampleBufferRef wrap(pw_buffer* buffer, std::uint64_t& sequence, bool& taken);
    void giveBack(pw_buffer* buffer, std::uint64_t generation);
    void noteRefused(bool refused);

    CMIOExtensionStream& stream_;
    pw_thread_loop* loop_;
    const Logger& log_;
    std::function<void(bool)> onStreaming_;
    pw_stream* pwStream_ = nullptr;
    spa_hook listener_{};
    pw_stream_events events_{};
    spa_source* deliverEvent_ = nullptr;
    spa_video_info_raw format_{};
    bool formatReady_ = false;
    bool streaming_ = false;
    // Bumped on every new pw_stream, so that a late release never returns a buffer to a
    // stream that no longer has it.
    std::uint64_t generation_ = 0;
    std::uint64_t sequence_ = 0;
    std::deque<pw_buffer*> waiting_;
    std::deque<CMIOExtensionConsumeCompletion> requests_;
    bool inRefusedRun_ = false;
    Statistics statistics_;
    // Lets a pixel buffer's release find out whether the node still exists.
    std::shared_ptr<SinkNode*> self_;
};

}  // namespace kavorn
