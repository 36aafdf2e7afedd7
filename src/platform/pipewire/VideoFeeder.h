// SPDX-License-Identifier: MIT
// Writes frames into a video sink node, driving its own link, as the companion app does.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include <pipewire/pipewire.h>

#include "platform/pipewire/PipeWireClient.h"

namespace kavorn {

// A 1920x1080 BGRA output stream that drives its link (DRIVER, one trigger per frame), asks to
// be connected to the named node, and links itself when no session manager does.
class VideoFeeder {
public:
    // Fills one frame: rows top first, `stride` bytes apart.
    using Painter =
        std::function<void(std::uint8_t* data, std::uint32_t stride, std::uint64_t index)>;

    VideoFeeder(PipeWireClient& client, std::string targetNodeName);
    ~VideoFeeder();
    VideoFeeder(const VideoFeeder&) = delete;
    VideoFeeder& operator=(const VideoFeeder&) = delete;

    bool start(std::string& error);
    void ensureLinked(std::chrono::milliseconds linkGrace);
    // Whether frames flow: the link is up and the format agreed.
    bool isStreaming();
    // Announces this many bytes per frame instead of a whole frame (testing readers).
    void setChunkBytes(std::uint32_t bytes) { chunkBytes_ = bytes; }
    // Paints and sends one frame; false when no buffer was free or the stream is not flowing.
    bool sendFrame(const Painter& paint, std::uint64_t index);

private:
    static void onStateChanged(void* data, pw_stream_state old, pw_stream_state state,
                               const char* error);
    static void onParamChanged(void* data, std::uint32_t id, const spa_pod* param);

    PipeWireClient& client_;
    std::string target_;
    pw_stream* stream_ = nullptr;
    spa_hook listener_{};
    pw_stream_events events_{};
    bool streaming_ = false;
    bool formatReady_ = false;
    std::uint64_t sequence_ = 0;
    std::optional<std::uint32_t> chunkBytes_;
    std::chrono::steady_clock::time_point started_;
    bool linkedByHand_ = false;
};

}  // namespace kavorn
