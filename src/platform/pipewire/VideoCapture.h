// SPDX-License-Identifier: MIT
// Reads a video node as a video application would.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include <pipewire/pipewire.h>

#include "platform/pipewire/PipeWireClient.h"

namespace kavorn {

// One received frame, valid only during the callback.
struct VideoFrameView {
    const std::uint8_t* data = nullptr;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t stride = 0;
    std::uint64_t sequence = 0;
    std::int64_t pts = -1;  // nanoseconds on CLOCK_MONOTONIC, -1 when not given
    bool discontinuity = false;
};

// A 1920x1080 BGRA input stream that asks to be connected to the named node. Where no session
// manager links it within `linkGrace`, it links itself through the link factory.
class VideoCapture {
public:
    using FrameHandler = std::function<void(const VideoFrameView&)>;

    VideoCapture(PipeWireClient& client, std::string targetNodeName, FrameHandler onFrame);
    ~VideoCapture();
    VideoCapture(const VideoCapture&) = delete;
    VideoCapture& operator=(const VideoCapture&) = delete;

    bool start(std::string& error);
    // Called now and then by the owner: links by hand once the grace period has passed.
    void ensureLinked(std::chrono::milliseconds linkGrace);

private:
    static void onParamChanged(void* data, std::uint32_t id, const spa_pod* param);
    static void onProcess(void* data);

    PipeWireClient& client_;
    std::string target_;
    FrameHandler onFrame_;
    pw_stream* stream_ = nullptr;
    spa_hook listener_{};
    pw_stream_events events_{};
    std::uint32_t width_ = 0;
    std::uint32_t height_ = 0;
    std::chrono::steady_clock::time_point started_;
    bool linkedByHand_ = false;
};

}  // namespace kavorn
