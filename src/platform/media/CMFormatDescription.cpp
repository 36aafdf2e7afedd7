// SPDX-License-Identifier: MIT
// Video format descriptions.
#include "platform/media/CMFormatDescription.h"

#include "platform/media/MediaFaults.h"

namespace kavorn {

Created<CMVideoFormatDescriptionRef> CMVideoFormatDescriptionCreate(CMVideoCodecType codecType,
                                                                    std::int32_t width,
                                                                    std::int32_t height) {
    if (OSStatus fault = MediaFaults::injected(MediaCall::CMVideoFormatDescriptionCreate);
        fault != noErr) {
        return {fault, nullptr};
    }
    if (width <= 0 || height <= 0) {
        return {kCMFormatDescriptionError_InvalidParameter, nullptr};
    }
    return {noErr, std::make_shared<const CMVideoFormatDescription>(
                       codecType, CMVideoDimensions{width, height})};
}

Created<CMVideoFormatDescriptionRef> CMVideoFormatDescriptionCreateForImageBuffer(
    const CVImageBufferRef& imageBuffer) {
    if (OSStatus fault =
            MediaFaults::injected(MediaCall::CMVideoFormatDescriptionCreateForImageBuffer);
        fault != noErr) {
        return {fault, nullptr};
    }
    if (!imageBuffer) {
        return {kCMFormatDescriptionError_InvalidParameter, nullptr};
    }
    return {noErr, std::make_shared<const CMVideoFormatDescription>(
                       imageBuffer->pixelFormatType(),
                       CMVideoDimensions{static_cast<std::int32_t>(imageBuffer->width()),
                                         static_cast<std::int32_t>(imageBuffer->height())})};
}

}  // namespace kavorn
