// SPDX-License-Identifier: MIT
// The one video format both streams offer.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/cmio/CMIOExtensionStreamFormat.h"
#include "platform/media/CVPixelBuffer.h"

namespace kavorn {

struct StreamFormats {
    static constexpr std::int32_t kWidth = 1920;
    static constexpr std::int32_t kHeight = 1080;
    static constexpr FourCharCode kPixelFormat = kCVPixelFormatType_32BGRA;  // "BGRA"

    // 1920x1080 BGRA with frame durations from 1/60 s to 1/30 s and no list of valid
    // durations, made anew on every call. Empty when no format description can be made.
    static std::vector<CMIOExtensionStreamFormat> makeFormatList();
};

}  // namespace kavorn
