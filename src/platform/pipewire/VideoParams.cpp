// SPDX-License-Identifier: MIT
// Format and buffer parameters.
#include "platform/pipewire/VideoParams.h"

#include <spa/buffer/buffer.h>
#include <spa/buffer/meta.h>
#include <spa/param/buffers.h>
#include <spa/param/format-utils.h>
#include <spa/param/video/format-utils.h>
#include <spa/pod/builder.h>

#include <pipewire/stream.h>

namespace kavorn {

const spa_pod* buildVideoFormat(spa_pod_builder& builder, bool forOutput) {
    spa_rectangle size = SPA_RECTANGLE(kVideoWidth, kVideoHeight);
    spa_fraction thirty = SPA_FRACTION(30, 1);
    spa_fraction sixty = SPA_FRACTION(60, 1);
    spa_fraction none = SPA_FRACTION(0, 1);
    spa_fraction most = SPA_FRACTION(1000, 1);
    if (forOutput) {
        return static_cast<const spa_pod*>(spa_pod_builder_add_object(
            &builder, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat, SPA_FORMAT_mediaType,
            SPA_POD_Id(SPA_MEDIA_TYPE_video), SPA_FORMAT_mediaSubtype,
            SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw), SPA_FORMAT_VIDEO_format,
            SPA_POD_Id(SPA_VIDEO_FORMAT_BGRA), SPA_FORMAT_VIDEO_size, SPA_POD_Rectangle(&size),
            SPA_FORMAT_VIDEO_framerate, SPA_POD_CHOICE_ENUM_Fraction(3, &thirty, &thirty, &sixty)));
    }
    return static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &builder, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat, SPA_FORMAT_mediaType,
        SPA_POD_Id(SPA_MEDIA_TYPE_video), SPA_FORMAT_mediaSubtype,
        SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw), SPA_FORMAT_VIDEO_format,
        SPA_POD_Id(SPA_VIDEO_FORMAT_BGRA), SPA_FORMAT_VIDEO_size, SPA_POD_Rectangle(&size),
        SPA_FORMAT_VIDEO_framerate, SPA_POD_CHOICE_RANGE_Fraction(&thirty, &none, &most)));
}

const spa_pod* buildVideoBuffers(spa_pod_builder& builder, std::uint32_t count) {
    return static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &builder, SPA_TYPE_OBJECT_ParamBuffers, SPA_PARAM_Buffers, SPA_PARAM_BUFFERS_buffers,
        SPA_POD_CHOICE_RANGE_Int(count, 2, 16), SPA_PARAM_BUFFERS_blocks, SPA_POD_Int(1),
        SPA_PARAM_BUFFERS_size, SPA_POD_Int(kVideoFrameBytes), SPA_PARAM_BUFFERS_stride,
        SPA_POD_Int(kVideoStride), SPA_PARAM_BUFFERS_dataType,
        SPA_POD_CHOICE_FLAGS_Int((1 << SPA_DATA_MemFd) | (1 << SPA_DATA_MemPtr))));
}

const spa_pod* buildHeaderMeta(spa_pod_builder& builder) {
    return static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &builder, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta, SPA_PARAM_META_type,
        SPA_POD_Id(SPA_META_Header), SPA_PARAM_META_size,
        SPA_POD_Int(sizeof(struct spa_meta_header))));
}

bool isCameraFormat(const spa_video_info_raw& info) {
    return info.format == SPA_VIDEO_FORMAT_BGRA && info.size.width == kVideoWidth &&
           info.size.height == kVideoHeight;
}

bool connectVideoStream(pw_stream* stream, bool output, std::uint32_t flags) {
    std::uint8_t storage[1024];
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(storage, sizeof storage);
    const spa_pod* params[] = {buildVideoFormat(builder, output)};
    return pw_stream_connect(stream, output ? PW_DIRECTION_OUTPUT : PW_DIRECTION_INPUT, PW_ID_ANY,
                             static_cast<pw_stream_flags>(flags), params, 1) >= 0;
}

bool acceptVideoFormat(pw_stream* stream, const spa_pod* format, std::uint32_t count,
                       spa_video_info_raw& info) {
    info = spa_video_info_raw{};
    if (spa_format_video_raw_parse(format, &info) < 0) {
        return false;
    }
    std::uint8_t storage[1024];
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(storage, sizeof storage);
    const spa_pod* params[] = {buildVideoBuffers(builder, count), buildHeaderMeta(builder)};
    pw_stream_update_params(stream, params, 2);
    return true;
}

}  // namespace kavorn
