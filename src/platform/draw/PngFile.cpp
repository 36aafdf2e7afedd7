// SPDX-License-Identifier: MIT
// PNG output through Cairo.
#include "platform/draw/PngFile.h"

#include <cairo.h>

namespace kavorn {

bool writePixelBufferAsPNG(const CVPixelBufferRef& buffer, const std::string& path,
                           std::string& error) {
    if (!buffer || buffer->pixelFormatType() != kCVPixelFormatType_32BGRA) {
        error = "not a BGRA picture";
        return false;
    }
    CVPixelBufferLockBaseAddress(buffer, kCVPixelBufferLock_ReadOnly);
    std::uint8_t* base = CVPixelBufferGetBaseAddress(buffer);
    bool written = false;
    if (base == nullptr) {
        error = "the picture has no memory";
    } else {
        cairo_surface_t* surface = cairo_image_surface_create_for_data(
            base, CAIRO_FORMAT_ARGB32, static_cast<int>(buffer->width()),
            static_cast<int>(buffer->height()), static_cast<int>(buffer->bytesPerRow()));
        cairo_status_t status = cairo_surface_status(surface);
        if (status == CAIRO_STATUS_SUCCESS) {
            status = cairo_surface_write_to_png(surface, path.c_str());
        }
        cairo_surface_destroy(surface);
        written = status == CAIRO_STATUS_SUCCESS;
        if (!written) {
            error = cairo_status_to_string(status);
        }
    }
    CVPixelBufferUnlockBaseAddress(buffer, kCVPixelBufferLock_ReadOnly);
    return written;
}

}  // namespace kavorn
