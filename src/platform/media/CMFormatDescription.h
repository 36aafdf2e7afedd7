// SPDX-License-Identifier: MIT
// Video format descriptions: codec type and dimensions.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/media/CVPixelBuffer.h"
#include "platform/media/OSStatus.h"

namespace kavorn {

using CMVideoCodecType = FourCharCode;

struct CMVideoDimensions {
    std::int32_t width = 0;
    std::int32_t height = 0;
    friend bool operator==(const CMVideoDimensions&, const CMVideoDimensions&) = default;
};

// Immutable once made.
class CMVideoFormatDescription {
public:
    CMVideoFormatDescription(CMVideoCodecType codecType, CMVideoDimensions dimensions)
        : codecType_(codecType), dimensions_(dimensions) {}

    CMVideoCodecType mediaSubType() const { return codecType_; }
    CMVideoDimensions dimensions() const { return dimensions_; }

private:
    const CMVideoCodecType codecType_;
    const CMVideoDimensions dimensions_;
};

using CMVideoFormatDescriptionRef = std::shared_ptr<const CMVideoFormatDescription>;
using CMFormatDescriptionRef = CMVideoFormatDescriptionRef;

// Fails with kCMFormatDescriptionError_InvalidParameter for a size of zero or less.
Created<CMVideoFormatDescriptionRef> CMVideoFormatDescriptionCreate(CMVideoCodecType codecType,
                                                                    std::int32_t width,
                                                                    std::int32_t height);
// The description of a pixel buffer's format and size.
Created<CMVideoFormatDescriptionRef> CMVideoFormatDescriptionCreateForImageBuffer(
    const CVImageBufferRef& imageBuffer);

}  // namespace kavorn
