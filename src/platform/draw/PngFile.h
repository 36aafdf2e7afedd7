// SPDX-License-Identifier: MIT
// Saving a BGRA pixel buffer as a PNG file.
#pragma once

#include <string>

#include "platform/media/CVPixelBuffer.h"

namespace kavorn {

// Writes the picture, top row first, as an 8-bit RGBA PNG. On failure returns false and says
// why in `error`.
bool writePixelBufferAsPNG(const CVPixelBufferRef& buffer, const std::string& path,
                           std::string& error);

}  // namespace kavorn
