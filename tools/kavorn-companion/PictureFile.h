// SPDX-License-Identifier: MIT
// Saving a picture as PNG or as raw BGRA.
#pragma once

#include <string>

#include "platform/media/CVPixelBuffer.h"

namespace kavorn::companion {

// Raw: rows top first, 4*width bytes each, no padding. False, with the reason, on failure.
bool writePicture(const CVPixelBufferRef& picture, const std::string& path, bool raw,
                  std::string& error);

}  // namespace kavorn::companion
