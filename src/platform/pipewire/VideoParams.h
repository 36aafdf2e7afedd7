// SPDX-License-Identifier: MIT
// The format and buffer parameters the camera's nodes negotiate with PipeWire.
#pragma once

#include <cstdint>

#include <pipewire/stream.h>
#include <spa/param/video/raw.h>
#include <spa/pod/builder.h>

namespace kavorn {

inline constexpr std::uint32_t kVideoWidth = 1920;
inline constexpr std::uint32_t kVideoHeight = 1080;
inline constexpr std::uint32_t kVideoStride = kVideoWidth * 4;
inline constexpr std::uint32_t kVideoFrameBytes = kVideoStride * kVideoHeight;

// BGRA 1920x1080. The output offers 30 or 60 frames a second (30 preferred); an input takes
// any rate, so that feeders need not match the camera's own.
const spa_pod* buildVideoFormat(spa_pod_builder& builder, bool forOutput);
// Buffers of one 1920x1080 BGRA frame each, `count` preferred, memfd or plain memory.
const spa_pod* buildVideoBuffers(spa_pod_builder& builder, std::uint32_t count);
// A spa_meta_header on every buffer, for the timestamp, sequence number and flags.
const spa_pod* buildHeaderMeta(spa_pod_builder& builder);

// Whether a negotiated format is exactly what the camera carries.
bool isCameraFormat(const spa_video_info_raw& info);

// Connects a stream offering (or asking for) the camera's format.
bool connectVideoStream(pw_stream* stream, bool output, std::uint32_t flags);
// Answers a negotiated format with the buffer parameters: `count` buffers with headers.
// Fills `info`; false when the format cannot be read.
bool acceptVideoFormat(pw_stream* stream, const spa_pod* format, std::uint32_t count,
                       spa_video_info_raw& info);

}  // namespace kavorn
