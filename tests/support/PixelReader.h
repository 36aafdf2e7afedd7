// SPDX-License-Identifier: MIT
// Reads pixels of a BGRA buffer in picture coordinates (origin bottom-left, y up).
#pragma once

#include <cstdint>

#include "platform/media/CVPixelBuffer.h"

namespace kavorn::test {

struct BGRA {
    std::uint8_t b = 0;
    std::uint8_t g = 0;
    std::uint8_t r = 0;
    std::uint8_t a = 0;
};

// Keeps the buffer locked for reading while it exists.
class PixelReader {
public:
    explicit PixelReader(CVPixelBufferRef buffer);
    ~PixelReader();
    PixelReader(const PixelReader&) = delete;
    PixelReader& operator=(const PixelReader&) = delete;

    // x from the left, y from the bottom.
    BGRA at(std::size_t x, std::size_t y) const;
    std::size_t width() const { return buffer_->width(); }
    std::size_t height() const { return buffer_->height(); }

private:
    CVPixelBufferRef buffer_;
    const std::uint8_t* base_;
};

// Whether each channel is within `tolerance` of the colour given as fractions.
bool near(BGRA pixel, double red, double green, double blue, int tolerance = 1);

}  // namespace kavorn::test
