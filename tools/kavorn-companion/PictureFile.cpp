// SPDX-License-Identifier: MIT
// Picture files.
#include "PictureFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/draw/PngFile.h"

namespace kavorn::companion {

namespace {

bool writeRaw(const CVPixelBufferRef& buffer, const std::string& path, std::string& error) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        error = std::strerror(errno);
        return false;
    }
    CVPixelBufferLockBaseAddress(buffer, kCVPixelBufferLock_ReadOnly);
    const std::uint8_t* base = CVPixelBufferGetBaseAddress(buffer);
    const std::size_t rowBytes = buffer->width() * 4;
    bool ok = base != nullptr;
    for (std::size_t row = 0; ok && row < buffer->height(); ++row) {
        ok = std::fwrite(base + row * buffer->bytesPerRow(), 1, rowBytes, file) == rowBytes;
    }
    CVPixelBufferUnlockBaseAddress(buffer, kCVPixelBufferLock_ReadOnly);
    if (!ok) {
        error = base == nullptr ? "the picture has no memory" : std::strerror(errno);
    }
    if (std::fclose(file) != 0 && ok) {
        error = std::strerror(errno);
        ok = false;
    }
    return ok;
}

}  // namespace

bool writePicture(const CVPixelBufferRef& picture, const std::string& path, bool raw,
                  std::string& error) {
    return raw ? writeRaw(picture, path, error) : writePixelBufferAsPNG(picture, path, error);
}

}  // namespace kavorn::companion
