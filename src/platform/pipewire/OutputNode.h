// SPDX-License-Identifier: MIT
// The camera's output stream as a PipeWire Video/Source node that drives its own graph.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include <pipewire/pipewire.h>
#include <spa/param/video/raw.h>

#include "platform/cmio/CMIOExtensionStream.h"

namespace kavorn {

// Made once per host stream and kept; its pw_stream is made anew on every connection to the
// daemon. All methods run under the thread-loop lock; callbacks come on the loop's thread.
class OutputNode {
public:
    struct Statistics {
        std::uint64_t framesSent = 0;
        std::uint64_t framesCopied = 0;   // frames whose pixels had to be copied in
        std::uint64_t framesDropped = 0;  // no free buffer, no format yet, or a foreign size
    };

    // Buffers in the pool all readers share: enough for two readers to hold one each while
    // the next frame is filled.
    static constexpr std::uint32_t kBufferCount = 4;

    // `onStreaming` is told when readers start and stop pulling frames.
    OutputNode(CMIOExtensionStream& stream, std::function<void(bool)> onStreaming);
    ~OutputNode();
    OutputNode(const OutputNode&) = delete;
    OutputNode& operator=(const OutputNode&) = delete;

    // Makes and connects the node with these properties (taken over).
    bool connect(pw_core* core, pw_properties* properties);
    // Destroys the node; not from inside one of its own callbacks.
    void disconnect();

    // The node's id in the graph, once exported; SPA_ID_INVALID before.
    std::uint32_t nodeId() const;
    bool isStreaming() const { return streaming_; }
    const CMIOExtensionStream& stream() const { return stream_; }
    const Statistics& statistics() const { return statistics_; }

    // Fills a free buffer with the frame and hands it to the readers. A picture already in that
    // buffer (same pixel buffer, same content) is not copied again.
    void send(const CMSampleBufferRef& sampleBuffer,
              CMIOExtensionStreamDiscontinuityFlags discontinuity, std::uint64_t hostTimeNs);

private:
    static void onStateChanged(void* data, pw_stream_state old, pw_stream_state state,
                               const char* error);
    static void onParamChanged(void* data, std::uint32_t id, const spa_pod* param);
    static void onAddBuffer(void* data, pw_buffer* buffer);
    static void onRemoveBuffer(void* data, pw_buffer* buffer);

    CMIOExtensionStream& stream_;
    std::function<void(bool)> onStreaming_;
    pw_stream* pwStream_ = nullptr;
    spa_hook listener_{};
    pw_stream_events events_{};
    spa_video_info_raw format_{};
    bool formatReady_ = false;
    bool streaming_ = false;
    std::uint64_t sequence_ = 0;
    Statistics statistics_;
};

}  // namespace kavorn
