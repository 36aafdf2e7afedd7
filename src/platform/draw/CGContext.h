// SPDX-License-Identifier: MIT
// A drawing surface laid over pixel memory, with the origin at the bottom-left corner.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

#include "platform/draw/CGGeometry.h"

struct _cairo;

namespace kavorn {

enum class CGColorSpaceModel { RGB, Gray };

struct CGColorSpace {
    CGColorSpaceModel model;
};

inline CGColorSpace CGColorSpaceCreateDeviceRGB() {
    return CGColorSpace{CGColorSpaceModel::RGB};
}

using CGBitmapInfo = std::uint32_t;
inline constexpr CGBitmapInfo kCGImageAlphaPremultipliedFirst = 2;
inline constexpr CGBitmapInfo kCGBitmapByteOrder32Little = 2U << 12;

// A rounded rectangle path, the only path shape the camera draws.
struct CGPath {
    CGRect rect;
    double cornerWidth = 0;
    double cornerHeight = 0;
};

inline CGPath CGPathCreateWithRoundedRect(CGRect rect, double cornerWidth, double cornerHeight) {
    return CGPath{rect, cornerWidth, cornerHeight};
}

// Draws straight into the memory it was made over, which must outlive it. y grows upward.
// Used by one thread at a time.
class CGContext {
public:
    CGContext(_cairo* cairo, std::size_t width, std::size_t height);
    ~CGContext();
    CGContext(const CGContext&) = delete;
    CGContext& operator=(const CGContext&) = delete;

    void setRGBFillColor(double red, double green, double blue, double alpha);
    void fillRect(CGRect rect);
    void addPath(const CGPath& path);
    // Fills the current path by the non-zero winding rule and clears it.
    void fillPath();

    void setTextPosition(double x, double y) { textPosition_ = CGPoint{x, y}; }
    CGPoint textPosition() const { return textPosition_; }

    std::size_t width() const { return width_; }
    std::size_t height() const { return height_; }
    _cairo* cairo() const { return cairo_; }

private:
    _cairo* cairo_;
    std::size_t width_;
    std::size_t height_;
    CGPoint textPosition_;
};

// Premultiplied BGRA in memory (kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little),
// 8 bits per component, device RGB: any other layout, or memory that cannot be drawn on, gives
// none.
std::unique_ptr<CGContext> CGBitmapContextCreate(void* data, std::size_t width, std::size_t height,
                                                 std::size_t bitsPerComponent,
                                                 std::size_t bytesPerRow, CGColorSpace space,
                                                 CGBitmapInfo bitmapInfo);

}  // namespace kavorn
