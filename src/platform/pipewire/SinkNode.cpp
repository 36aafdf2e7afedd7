// SPDX-License-Identifier: MIT
// Sink node.
#include "platform/pipewire/SinkNode.h"

#include <time.h>

#include <spa/buffer/meta.h>
#include <spa/param/video/format-utils.h>

#include "platform/media/CMFormatDescription.h"
#include "platform/media/CMSampleBuffer.h"
#include "platform/pipewire/ThreadLoopLock.h"
#include "platform/pipewire/VideoParams.h"

namespace kavorn {

SinkNode::SinkNode(CMIOExtensionStream& stream, pw_thread_loop* loop, const Logger& log,
                   std::function<void(bool)> onStreaming)
    : stream_(stream),
      loop_(loop),
      log_(log),
      onStreaming_(std::move(onStreaming)),
      self_(std::make_shared<SinkNode*>(this)) {
    events_.version = PW_VERSION_STREAM_EVENTS;
    events_.state_changed = &SinkNode::onStateChanged;
    events_.param_changed = &SinkNode::onParamChanged;
    events_.process = &SinkNode::onProcess;
    deliverEvent_ = pw_loop_add_event(pw_thread_loop_get_loop(loop_), &SinkNode::onDeliver, this);
}

SinkNode::~SinkNode() {
    disconnect();
    *self_ = nullptr;
    pw_loop_destroy_source(pw_thread_loop_get_loop(loop_), deliverEvent_);
}

bool SinkNode::connect(pw_core* core, pw_properties* properties) {
    pwStream_ = pw_stream_new(core, stream_.localizedName().c_str(), properties);
    if (pwStream_ == nullptr) {
        return false;
    }
    ++generation_;
    pw_stream_add_listener(pwStream_, &listener_, &events_, this);
    return connectVideoStream(pwStream_, false, PW_STREAM_FLAG_MAP_BUFFERS);
}

void SinkNode::disconnect() {
    if (pwStream_ == nullptr) {
        return;
    }
    // Buffers still out are the stream's own; destroying it takes them back.
    waiting_.clear();
    spa_hook_remove(&listener_);
    pw_stream_destroy(pwStream_);
    pwStream_ = nullptr;
    ++generation_;
    formatReady_ = false;
    if (streaming_) {
        streaming_ = false;
        onStreaming_(false);
    }
}

std::uint32_t SinkNode::nodeId() const {
    return pwStream_ ? pw_stream_get_node_id(pwStream_) : SPA_ID_INVALID;
}

void SinkNode::consume(CMIOExtensionConsumeCompletion completion) {
    requests_.push_back(std::move(completion));
    if (!waiting_.empty()) {
        // Answered from the loop, never from inside the caller's own call.
        pw_loop_signal_event(pw_thread_loop_get_loop(loop_), deliverEvent_);
    }
}

void SinkNode::onStateChanged(void* data, pw_stream_state, pw_stream_state state, const char*) {
    auto* self = static_cast<SinkNode*>(data);
    const bool streaming = state == PW_STREAM_STATE_STREAMING;
    if (streaming != self->streaming_) {
        self->streaming_ = streaming;
        self->onStreaming_(streaming);
    }
}

void SinkNode::onParamChanged(void* data, std::uint32_t id, const spa_pod* param) {
    auto* self = static_cast<SinkNode*>(data);
    if (param == nullptr || id != SPA_PARAM_Format) {
        return;
    }
    self->formatReady_ = acceptVideoFormat(self->pwStream_, param, kMaxWaiting, self->format_) &&
                         isCameraFormat(self->format_);
}

void SinkNode::onProcess(void* data) {
    auto* self = static_cast<SinkNode*>(data);
    while (pw_buffer* buffer = pw_stream_dequeue_buffer(self->pwStream_)) {
        if (self->waiting_.size() == kMaxWaiting) {
            // Keep the newest frames: a reader wants the present, not a backlog.
            pw_stream_queue_buffer(self->pwStream_, self->waiting_.front());
            self->waiting_.pop_front();
            ++self->statistics_.framesOverrun;
        }
        self->waiting_.push_back(buffer);
    }
    self->deliver();
}

void SinkNode::onDeliver(void* data, std::uint64_t) {
    static_cast<SinkNode*>(data)->deliver();
}

void SinkNode::deliver() {
    // A completion usually asks for the next buffer at once; that request joins this loop.
    while (!waiting_.empty() && !requests_.empty() && pwStream_ != nullptr) {
        pw_buffer* buffer = waiting_.front();
        waiting_.pop_front();
        std::uint64_t sequence = 0;
        bool taken = false;
        CMSampleBufferRef sampleBuffer = wrap(buffer, sequence, taken);
        noteRefused(!sampleBuffer);
        if (!sampleBuffer) {
            if (!taken) {
                pw_stream_queue_buffer(pwStream_, buffer);
            }
            continue;
        }
        CMIOExtensionConsumeCompletion completion = std::move(requests_.front());
        requests_.pop_front();
        ++statistics_.framesDelivered;
        completion(std::move(sampleBuffer), sequence, 0, !waiting_.empty(), std::nullopt);
    }
}

void SinkNode::noteRefused(bool refused) {
    if (refused) {
        ++statistics_.framesRefused;
        if (!inRefusedRun_) {
            inRefusedRun_ = true;
            log_.error("PipeWire: refusing sink frames that are not 1920x1080 BGRA (" +
                       std::to_string(format_.size.width) + "x" +
                       std::to_string(format_.size.height) + " negotiated)");
        }
    } else if (inRefusedRun_) {
        inRefusedRun_ = false;
        log_.log("PipeWire: sink frames are whole again");
    }
}

CMSampleBufferRef SinkNode::wrap(pw_buffer* buffer, std::uint64_t& sequence, bool& taken) {
    spa_buffer* spa = buffer->buffer;
    if (!formatReady_ || spa == nullptr || spa->n_datas < 1) {
        return nullptr;
    }
    const spa_data& plane = spa->datas[0];
    if (plane.data == nullptr || plane.chunk == nullptr) {
        return nullptr;
    }
    // Everything about the frame's memory comes from the other process: check it all before
    // anybody reads a byte.
    const std::uint64_t stride =
        plane.chunk->stride > 0 ? static_cast<std::uint64_t>(plane.chunk->stride) : kVideoStride;
    const std::uint64_t offset = plane.chunk->offset;
    const std::uint64_t size = plane.chunk->size;
    const std::uint64_t needed = stride * (kVideoHeight - 1) + kVideoStride;
    if (stride < kVideoStride || size < needed || offset > plane.maxsize ||
        size > plane.maxsize - offset) {
        return nullptr;
    }

    CMTime presentation;
    auto* header = static_cast<spa_meta_header*>(
        spa_buffer_find_meta_data(spa, SPA_META_Header, sizeof(spa_meta_header)));
    if (header != nullptr && header->pts >= 0) {
        presentation = CMTimeMake(header->pts, 1'000'000'000);
    } else {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        presentation = CMTimeMake(
            static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec, 1'000'000'000);
    }
    sequence = header != nullptr ? header->seq : sequence_;
    ++sequence_;

    auto* memory = static_cast<std::uint8_t*>(plane.data) + offset;
    std::weak_ptr<SinkNode*> node = self_;
    const std::uint64_t generation = generation_;
    auto pixels = CVPixelBufferCreateWithBytes(kVideoWidth, kVideoHeight, kCVPixelFormatType_32BGRA,
                                               memory, stride, [node, buffer, generation] {
                                                   if (auto owner = node.lock(); owner && *owner) {
                                                       (*owner)->giveBack(buffer, generation);
                                                   }
                                               });
    if (!pixels.succeeded()) {
        return nullptr;
    }
    taken = true;
    auto description = CMVideoFormatDescriptionCreateForImageBuffer(pixels.object);
    auto sample = CMSampleBufferCreateReadyWithImageBuffer(
        pixels.object, description.object, {CMTimeMake(1, 30), presentation, kCMTimeInvalid});
    return sample.object;
}

void SinkNode::giveBack(pw_buffer* buffer, std::uint64_t generation) {
    ThreadLoopLock lock(loop_);
    if (generation == generation_ && pwStream_ != nullptr) {
        pw_stream_queue_buffer(pwStream_, buffer);
    }
}

}  // namespace kavorn
