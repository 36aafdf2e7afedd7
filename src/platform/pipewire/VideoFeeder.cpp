// SPDX-License-Identifier: MIT
// Video feeder stream.
#include "platform/pipewire/VideoFeeder.h"

#include <time.h>

#include <spa/buffer/meta.h>
#include <spa/param/video/format-utils.h>

#include "platform/pipewire/ThreadLoopLock.h"
#include "platform/pipewire/VideoParams.h"

namespace kavorn {

VideoFeeder::VideoFeeder(PipeWireClient& client, std::string targetNodeName)
    : client_(client), target_(std::move(targetNodeName)) {
    events_.version = PW_VERSION_STREAM_EVENTS;
    events_.state_changed = &VideoFeeder::onStateChanged;
    events_.param_changed = &VideoFeeder::onParamChanged;
}

VideoFeeder::~VideoFeeder() {
    ThreadLoopLock lock(client_.loop());
    if (stream_ != nullptr) {
        spa_hook_remove(&listener_);
        pw_stream_destroy(stream_);
    }
}

bool VideoFeeder::start(std::string& error) {
    ThreadLoopLock lock(client_.loop());
    stream_ = pw_stream_new(client_.core(), "kavorn-companion feed",
                            pw_properties_new(PW_KEY_MEDIA_TYPE, "Video", PW_KEY_MEDIA_CATEGORY,
                                              "Playback", PW_KEY_MEDIA_CLASS, "Stream/Output/Video",
                                              PW_KEY_TARGET_OBJECT, target_.c_str(), nullptr));
    if (stream_ == nullptr) {
        error = "cannot make a feed stream";
        return false;
    }
    pw_stream_add_listener(stream_, &listener_, &events_, this);
    std::uint8_t storage[1024];
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(storage, sizeof storage);
    const spa_pod* params[] = {buildVideoFormat(builder, true)};
    if (pw_stream_connect(
            stream_, PW_DIRECTION_OUTPUT, PW_ID_ANY,
            static_cast<pw_stream_flags>(PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_DRIVER |
                                         PW_STREAM_FLAG_MAP_BUFFERS),
            params, 1) < 0) {
        error = "cannot connect the feed stream";
        return false;
    }
    started_ = std::chrono::steady_clock::now();
    return true;
}

void VideoFeeder::ensureLinked(std::chrono::milliseconds linkGrace) {
    if (linkedByHand_ || std::chrono::steady_clock::now() - started_ < linkGrace) {
        return;
    }
    linkedByHand_ = client_.linkStream(stream_, target_, true);
}

bool VideoFeeder::isStreaming() {
    ThreadLoopLock lock(client_.loop());
    return streaming_ && formatReady_;
}

bool VideoFeeder::sendFrame(const Painter& paint, std::uint64_t index) {
    ThreadLoopLock lock(client_.loop());
    if (!streaming_ || !formatReady_) {
        return false;
    }
    pw_buffer* buffer = pw_stream_dequeue_buffer(stream_);
    if (buffer == nullptr) {
        return false;
    }
    spa_buffer* spa = buffer->buffer;
    spa_data& plane = spa->datas[0];
    if (plane.data == nullptr || plane.maxsize < kVideoFrameBytes) {
        pw_stream_queue_buffer(stream_, buffer);
        return false;
    }
    paint(static_cast<std::uint8_t*>(plane.data), kVideoStride, index);
    plane.chunk->offset = 0;
    plane.chunk->size = chunkBytes_.value_or(kVideoFrameBytes);
    plane.chunk->stride = static_cast<std::int32_t>(kVideoStride);
    if (auto* header = static_cast<spa_meta_header*>(
            spa_buffer_find_meta_data(spa, SPA_META_Header, sizeof(spa_meta_header)))) {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        header->pts = static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
        header->seq = sequence_++;
        header->flags = 0;
        header->dts_offset = 0;
    }
    pw_stream_queue_buffer(stream_, buffer);
    pw_stream_trigger_process(stream_);
    return true;
}

void VideoFeeder::onStateChanged(void* data, pw_stream_state, pw_stream_state state, const char*) {
    auto* self = static_cast<VideoFeeder*>(data);
    self->streaming_ = state == PW_STREAM_STATE_STREAMING;
}

void VideoFeeder::onParamChanged(void* data, std::uint32_t id, const spa_pod* param) {
    auto* self = static_cast<VideoFeeder*>(data);
    if (param == nullptr || id != SPA_PARAM_Format) {
        return;
    }
    spa_video_info_raw info{};
    self->formatReady_ = acceptVideoFormat(self->stream_, param, 4, info) && isCameraFormat(info);
}

}  // namespace kavorn
