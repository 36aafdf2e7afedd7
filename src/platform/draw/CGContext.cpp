// SPDX-License-Identifier: MIT
// Drawing surface on Cairo.
#include "platform/draw/CGContext.h"

#include <cairo.h>

#include <cmath>

#include "platform/media/MediaFaults.h"

namespace kavorn {

CGContext::CGContext(cairo_t* cairo, std::size_t width, std::size_t height)
    : cairo_(cairo), width_(width), height_(height) {
    // The picture's origin is its bottom-left corner; Cairo's is the top-left one.
    cairo_translate(cairo_, 0, static_cast<double>(height));
    cairo_scale(cairo_, 1, -1);
    cairo_set_fill_rule(cairo_, CAIRO_FILL_RULE_WINDING);
}

CGContext::~CGContext() {
    cairo_surface_t* surface = cairo_get_target(cairo_);
    cairo_surface_flush(surface);
    cairo_destroy(cairo_);
}

void CGContext::setRGBFillColor(double red, double green, double blue, double alpha) {
    cairo_set_source_rgba(cairo_, red, green, blue, alpha);
}

void CGContext::fillRect(CGRect rect) {
    cairo_new_path(cairo_);
    cairo_rectangle(cairo_, rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
    cairo_fill(cairo_);
}

void CGContext::addPath(const CGPath& path) {
    const CGRect& r = path.rect;
    const double rx = path.cornerWidth;
    const double ry = path.cornerHeight;
    if (rx <= 0 || ry <= 0) {
        cairo_rectangle(cairo_, r.origin.x, r.origin.y, r.size.width, r.size.height);
        return;
    }
    // Elliptic corners: draw unit-circle arcs in a scaled space.
    const double left = r.origin.x;
    const double bottom = r.origin.y;
    const double right = left + r.size.width;
    const double top = bottom + r.size.height;
    auto corner = [&](double cx, double cy, double from, double to) {
        cairo_save(cairo_);
        cairo_translate(cairo_, cx, cy);
        cairo_scale(cairo_, rx, ry);
        cairo_arc(cairo_, 0, 0, 1, from, to);
        cairo_restore(cairo_);
    };
    cairo_new_sub_path(cairo_);
    corner(right - rx, bottom + ry, -M_PI / 2, 0);
    corner(right - rx, top - ry, 0, M_PI / 2);
    corner(left + rx, top - ry, M_PI / 2, M_PI);
    corner(left + rx, bottom + ry, M_PI, 3 * M_PI / 2);
    cairo_close_path(cairo_);
}

void CGContext::fillPath() {
    cairo_fill(cairo_);
}

std::unique_ptr<CGContext> CGBitmapContextCreate(void* data, std::size_t width, std::size_t height,
                                                 std::size_t bitsPerComponent,
                                                 std::size_t bytesPerRow, CGColorSpace space,
                                                 CGBitmapInfo bitmapInfo) {
    if (MediaFaults::injected(MediaCall::CGBitmapContextCreate) != noErr) {
        return nullptr;
    }
    const bool bgraPremultiplied =
        bitmapInfo == (kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little);
    if (data == nullptr || width == 0 || height == 0 || bitsPerComponent != 8 ||
        space.model != CGColorSpaceModel::RGB || !bgraPremultiplied || bytesPerRow < width * 4 ||
        bytesPerRow % 4 != 0 || width > INT32_MAX || height > INT32_MAX ||
        bytesPerRow > INT32_MAX) {
        return nullptr;
    }
    // CAIRO_FORMAT_ARGB32 is premultiplied ARGB in a native-endian 32-bit word: on a
    // little-endian machine, the bytes B, G, R, A.
    cairo_surface_t* surface = cairo_image_surface_create_for_data(
        static_cast<unsigned char*>(data), CAIRO_FORMAT_ARGB32, static_cast<int>(width),
        static_cast<int>(height), static_cast<int>(bytesPerRow));
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    cairo_t* cairo = cairo_create(surface);
    cairo_surface_destroy(surface);  // the context holds its own reference
    if (cairo_status(cairo) != CAIRO_STATUS_SUCCESS) {
        cairo_destroy(cairo);
        return nullptr;
    }
    return std::make_unique<CGContext>(cairo, width, height);
}

}  // namespace kavorn
