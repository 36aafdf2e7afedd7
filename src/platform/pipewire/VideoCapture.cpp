// SPDX-License-Identifier: MIT
// Video capture stream.
#include "platform/pipewire/VideoCapture.h"

#include <spa/buffer/meta.h>
#include <spa/param/video/format-utils.h>

#include "platform/pipewire/ThreadLoopLock.h"
#include "platform/pipewire/VideoParams.h"

namespace kavorn {

VideoCapture::VideoCapture(PipeWireClient& client, std::string targetNodeName, FrameHandler onFrame)
    : client_(client), target_(std::move(targetNodeName)), onFrame_(std::move(onFrame)) {
    events_.version = PW_VERSION_STREAM_EVENTS;
    events_.param_changed = &VideoCapture::onParamChanged;
    events_.process = &VideoCapture::onProcess;
}

VideoCapture::~VideoCapture() {
    ThreadLoopLock lock(client_.loop());
    if (stream_ != nullptr) {
        spa_hook_remove(&listener_);
        pw_stream_destroy(stream_);
    }
}

bool VideoCapture::start(std::string& error) {
    ThreadLoopLock lock(client_.loop());
    stream_ = pw_stream_new(client_.core(), "kavorn-companion capture",
                            pw_properties_new(PW_KEY_MEDIA_TYPE, "Video", PW_KEY_MEDIA_CATEGORY,
                                              "Capture", PW_KEY_MEDIA_ROLE, "Camera",
                                              PW_KEY_TARGET_OBJECT, target_.c_str(), nullptr));
    if (stream_ == nullptr) {
        error = "cannot make a capture stream";
        return false;
    }
    pw_stream_add_listener(stream_, &listener_, &events_, this);
    std::uint8_t storage[1024];
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(storage, sizeof storage);
    const spa_pod* params[] = {buildVideoFormat(builder, false)};
    if (pw_stream_connect(
            stream_, PW_DIRECTION_INPUT, PW_ID_ANY,
            static_cast<pw_stream_flags>(PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS),
            params, 1) < 0) {
        error = "cannot connect the capture stream";
        return false;
    }
    started_ = std::chrono::steady_clock::now();
    return true;
}

void VideoCapture::ensureLinked(std::chrono::milliseconds linkGrace) {
    if (linkedByHand_ || std::chrono::steady_clock::now() - started_ < linkGrace) {
        return;
    }
    linkedByHand_ = client_.linkStream(stream_, target_, false);
}

void VideoCapture::onParamChanged(void* data, std::uint32_t id, const spa_pod* param) {
    auto* self = static_cast<VideoCapture*>(data);
    if (param == nullptr || id != SPA_PARAM_Format) {
        return;
    }
    spa_video_info_raw info{};
    if (!acceptVideoFormat(self->stream_, param, 4, info)) {
        return;
    }
    self->width_ = info.size.width;
    self->height_ = info.size.height;
}

void VideoCapture::onProcess(void* data) {
    auto* self = static_cast<VideoCapture*>(data);
    pw_buffer* buffer = nullptr;
    // Only the newest frame matters to a viewer.
    while (pw_buffer* next = pw_stream_dequeue_buffer(self->stream_)) {
        if (buffer != nullptr) {
            pw_stream_queue_buffer(self->stream_, buffer);
        }
        buffer = next;
    }
    if (buffer == nullptr) {
        return;
    }
    spa_buffer* spa = buffer->buffer;
    const spa_data& plane = spa->datas[0];
    const std::uint32_t stride = plane.chunk && plane.chunk->stride > 0
                                     ? static_cast<std::uint32_t>(plane.chunk->stride)
                                     : self->width_ * 4;
    const std::uint64_t needed = static_cast<std::uint64_t>(stride) * self->height_;
    if (plane.data != nullptr && plane.chunk != nullptr && self->width_ > 0 &&
        stride >= self->width_ * 4 && plane.chunk->size >= needed &&
        plane.chunk->offset <= plane.maxsize && needed <= plane.maxsize - plane.chunk->offset) {
        VideoFrameView view;
        view.data = static_cast<const std::uint8_t*>(plane.data) + plane.chunk->offset;
        view.width = self->width_;
        view.height = self->height_;
        view.stride = stride;
        if (auto* header = static_cast<spa_meta_header*>(
                spa_buffer_find_meta_data(spa, SPA_META_Header, sizeof(spa_meta_header)))) {
            view.sequence = header->seq;
            view.pts = header->pts;
            view.discontinuity = (header->flags & SPA_META_HEADER_FLAG_DISCONT) != 0;
        }
        self->onFrame_(view);
    }
    pw_stream_queue_buffer(self->stream_, buffer);
}

}  // namespace kavorn
