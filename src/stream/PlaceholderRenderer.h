// SPDX-License-Identifier: MIT
// The placeholder picture: colour bars with a dark card saying the camera is off.
#pragma once

#include <cstdint>

#include "platform/draw/CGContext.h"
#include "platform/media/CVPixelBuffer.h"

namespace kavorn {

// A new BGRA buffer of the given size with the picture drawn in it, owned by the caller. None
// when no buffer of that size can be made; a buffer whose memory cannot be drawn on comes back
// undrawn. Logs nothing. Any thread; keeps nothing between calls.
CVPixelBufferRef makePlaceholderPixelBuffer(std::int64_t width, std::int64_t height);

// Draws the whole picture on a surface of the given size (origin bottom-left, y up). Every
// colour is opaque, so every pixel ends with alpha 255.
void drawPlaceholder(CGContext& context, double width, double height);

}  // namespace kavorn
