// SPDX-License-Identifier: MIT
// Output node.
#include "platform/pipewire/OutputNode.h"

#include <cstring>

#include <spa/buffer/meta.h>
#include <spa/param/video/format-utils.h>

#include "platform/pipewire/VideoParams.h"

namespace kavorn {

namespace {

// What a PipeWire buffer holds already, kept in its user data.
struct BufferTag {
    std::uint64_t pictureIdentity = 0;
    std::uint64_t pictureVersion = 0;
};

}  // namespace

OutputNode::OutputNode(CMIOExtensionStream& stream, std::function<void(bool)> onStreaming)
    : stream_(stream), onStreaming_(std::move(onStreaming)) {
    events_.version = PW_VERSION_STREAM_EVENTS;
    events_.state_changed = &OutputNode::onStateChanged;
    events_.param_changed = &OutputNode::onParamChanged;
    events_.add_buffer = &OutputNode::onAddBuffer;
    events_.remove_buffer = &OutputNode::onRemoveBuffer;
}

OutputNode::~OutputNode() {
    disconnect();
}

bool OutputNode::connect(pw_core* core, pw_properties* properties) {
    pwStream_ = pw_stream_new(core, stream_.localizedName().c_str(), properties);
    if (pwStream_ == nullptr) {
        return false;
    }
    pw_stream_add_listener(pwStream_, &listener_, &events_, this);
    return connectVideoStream(pwStream_, true, PW_STREAM_FLAG_DRIVER | PW_STREAM_FLAG_MAP_BUFFERS);
}

void OutputNode::disconnect() {
    if (pwStream_ == nullptr) {
        return;
    }
    spa_hook_remove(&listener_);
    pw_stream_destroy(pwStream_);
    pwStream_ = nullptr;
    formatReady_ = false;
    if (streaming_) {
        streaming_ = false;
        onStreaming_(false);
    }
}

std::uint32_t OutputNode::nodeId() const {
    return pwStream_ ? pw_stream_get_node_id(pwStream_) : SPA_ID_INVALID;
}

void OutputNode::onStateChanged(void* data, pw_stream_state, pw_stream_state state, const char*) {
    auto* self = static_cast<OutputNode*>(data);
    const bool streaming = state == PW_STREAM_STATE_STREAMING;
    if (streaming != self->streaming_) {
        self->streaming_ = streaming;
        self->onStreaming_(streaming);
    }
}

void OutputNode::onParamChanged(void* data, std::uint32_t id, const spa_pod* param) {
    auto* self = static_cast<OutputNode*>(data);
    if (param == nullptr || id != SPA_PARAM_Format) {
        return;
    }
    self->formatReady_ = acceptVideoFormat(self->pwStream_, param, kBufferCount, self->format_) &&
                         isCameraFormat(self->format_);
}

void OutputNode::onAddBuffer(void*, pw_buffer* buffer) {
    buffer->user_data = new BufferTag();
}

void OutputNode::onRemoveBuffer(void*, pw_buffer* buffer) {
    delete static_cast<BufferTag*>(buffer->user_data);
    buffer->user_data = nullptr;
}

void OutputNode::send(const CMSampleBufferRef& sampleBuffer,
                      CMIOExtensionStreamDiscontinuityFlags discontinuity,
                      std::uint64_t hostTimeNs) {
    const CVImageBufferRef& picture = sampleBuffer ? sampleBuffer->imageBuffer() : nullptr;
    if (pwStream_ == nullptr || !streaming_ || !formatReady_ || !picture ||
        picture->width() != kVideoWidth || picture->height() != kVideoHeight ||
        picture->pixelFormatType() != kCVPixelFormatType_32BGRA) {
        ++statistics_.framesDropped;
        return;
    }
    pw_buffer* buffer = pw_stream_dequeue_buffer(pwStream_);
    if (buffer == nullptr) {
        ++statistics_.framesDropped;
        return;
    }
    spa_buffer* spa = buffer->buffer;
    spa_data& plane = spa->datas[0];
    if (plane.data == nullptr || plane.maxsize < kVideoFrameBytes) {
        pw_stream_queue_buffer(pwStream_, buffer);  // an empty frame: nothing to fill
        ++statistics_.framesDropped;
        return;
    }
    auto* tag = static_cast<BufferTag*>(buffer->user_data);
    const std::uint64_t version = picture->contentVersion();
    if (tag == nullptr || tag->pictureIdentity != picture->identity() ||
        tag->pictureVersion != version) {
        CVPixelBufferLockBaseAddress(picture, kCVPixelBufferLock_ReadOnly);
        const std::uint8_t* source = picture->baseAddress();
        auto* target = static_cast<std::uint8_t*>(plane.data);
        if (picture->bytesPerRow() == kVideoStride) {
            std::memcpy(target, source, kVideoFrameBytes);
        } else {
            for (std::uint32_t row = 0; row < kVideoHeight; ++row) {
                std::memcpy(target + row * kVideoStride, source + row * picture->bytesPerRow(),
                            kVideoStride);
            }
        }
        CVPixelBufferUnlockBaseAddress(picture, kCVPixelBufferLock_ReadOnly);
        if (tag != nullptr) {
            tag->pictureIdentity = picture->identity();
            tag->pictureVersion = version;
        }
        ++statistics_.framesCopied;
    }
    plane.chunk->offset = 0;
    plane.chunk->size = kVideoFrameBytes;
    plane.chunk->stride = static_cast<std::int32_t>(kVideoStride);
    plane.chunk->flags = 0;
    if (auto* header = static_cast<spa_meta_header*>(
            spa_buffer_find_meta_data(spa, SPA_META_Header, sizeof(spa_meta_header)))) {
        header->pts = static_cast<std::int64_t>(hostTimeNs);
        header->dts_offset = 0;
        header->seq = sequence_++;
        header->flags = discontinuity != 0 ? SPA_META_HEADER_FLAG_DISCONT : 0;
    }
    pw_stream_queue_buffer(pwStream_, buffer);
    pw_stream_trigger_process(pwStream_);
    ++statistics_.framesSent;
}

}  // namespace kavorn
