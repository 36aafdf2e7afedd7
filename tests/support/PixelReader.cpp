// SPDX-License-Identifier: MIT
// Pixel access for tests.
#include "support/PixelReader.h"

#include <cmath>
#include <cstdlib>

namespace kavorn::test {

PixelReader::PixelReader(CVPixelBufferRef buffer) : buffer_(std::move(buffer)) {
    CVPixelBufferLockBaseAddress(buffer_, kCVPixelBufferLock_ReadOnly);
    base_ = CVPixelBufferGetBaseAddress(buffer_);
}

PixelReader::~PixelReader() {
    CVPixelBufferUnlockBaseAddress(buffer_, kCVPixelBufferLock_ReadOnly);
}

BGRA PixelReader::at(std::size_t x, std::size_t y) const {
    const std::size_t row = buffer_->height() - 1 - y;
    const std::uint8_t* p = base_ + row * buffer_->bytesPerRow() + x * 4;
    return BGRA{p[0], p[1], p[2], p[3]};
}

bool near(BGRA pixel, double red, double green, double blue, int tolerance) {
    auto close = [&](std::uint8_t value, double fraction) {
        return std::abs(static_cast<int>(value) - static_cast<int>(std::lround(fraction * 255))) <=
               tolerance;
    };
    return close(pixel.r, red) && close(pixel.g, green) && close(pixel.b, blue);
}

}  // namespace kavorn::test
