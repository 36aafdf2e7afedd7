// SPDX-License-Identifier: MIT
// Reference-counted BGRA pixel buffer.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "platform/media/OSStatus.h"

namespace kavorn {

inline constexpr FourCharCode kCVPixelFormatType_32BGRA = 0x42475241;  // 'BGRA'

inline constexpr std::uint64_t kCVPixelBufferLock_ReadOnly = 1;

// The attributes a buffer was created with. Only the two the camera uses are modelled.
struct CVPixelBufferAttributes {
    struct IOSurfaceProperties {
        friend bool operator==(const IOSurfaceProperties&, const IOSurfaceProperties&) = default;
    };
    // kCVPixelBufferIOSurfacePropertiesKey (an empty dictionary when present).
    std::optional<IOSurfaceProperties> ioSurfaceProperties;
    // kCVPixelBufferCGBitmapContextCompatibilityKey.
    std::optional<bool> cgBitmapContextCompatibility;

    friend bool operator==(const CVPixelBufferAttributes&,
                           const CVPixelBufferAttributes&) = default;
};

// Memory is either the buffer's own (rows 64-byte aligned, zeroed at creation) or borrowed
// from elsewhere, in which case the release callback runs when the last reference goes.
// The base address is handed out only while the buffer is locked. Lock and unlock may be
// called from any thread; writers coordinate among themselves.
class CVPixelBuffer {
public:
    using ReleaseCallback = std::function<void()>;

    CVPixelBuffer(std::size_t width, std::size_t height, FourCharCode pixelFormat,
                  std::size_t bytesPerRow, std::uint8_t* memory, ReleaseCallback release,
                  CVPixelBufferAttributes attributes);
    ~CVPixelBuffer();
    CVPixelBuffer(const CVPixelBuffer&) = delete;
    CVPixelBuffer& operator=(const CVPixelBuffer&) = delete;

    std::size_t width() const { return width_; }
    std::size_t height() const { return height_; }
    FourCharCode pixelFormatType() const { return pixelFormat_; }
    std::size_t bytesPerRow() const { return bytesPerRow_; }
    std::size_t dataSize() const { return bytesPerRow_ * height_; }
    const CVPixelBufferAttributes& attributes() const { return attributes_; }

    OSStatus lockBaseAddress(std::uint64_t flags);
    OSStatus unlockBaseAddress(std::uint64_t flags);
    // The memory while locked, else none.
    std::uint8_t* baseAddress() const;

    // Unique for the life of the process, never reused.
    std::uint64_t identity() const { return identity_; }
    // Goes up each time a lock for writing is released: with the identity, it tells a consumer
    // that keeps copies whether its copy of the picture is still current.
    std::uint64_t contentVersion() const { return contentVersion_.load(std::memory_order_acquire); }

    // Pixel memory the process has allocated for buffers so far, in bytes (statistics).
    static std::uint64_t totalBytesAllocated();
    static void noteAllocation(std::size_t bytes);

private:
    const std::size_t width_;
    const std::size_t height_;
    const FourCharCode pixelFormat_;
    const std::size_t bytesPerRow_;
    std::uint8_t* const memory_;
    ReleaseCallback release_;
    const CVPixelBufferAttributes attributes_;
    std::atomic<int> lockCount_{0};
    const std::uint64_t identity_;
    std::atomic<std::uint64_t> contentVersion_{0};
};

using CVPixelBufferRef = std::shared_ptr<CVPixelBuffer>;
using CVImageBufferRef = CVPixelBufferRef;

// A new buffer with its own memory. Fails with kCVReturnInvalidArgument for a size of zero or
// less, or beyond 16384 on either side, or a format other than 32-bit BGRA, and with
// kCVReturnAllocationFailed when no memory can be had.
Created<CVPixelBufferRef> CVPixelBufferCreate(std::int64_t width, std::int64_t height,
                                              FourCharCode pixelFormat,
                                              const CVPixelBufferAttributes& attributes);

// A buffer over memory that the caller keeps valid until `release` runs.
Created<CVPixelBufferRef> CVPixelBufferCreateWithBytes(std::int64_t width, std::int64_t height,
                                                       FourCharCode pixelFormat,
                                                       std::uint8_t* memory,
                                                       std::size_t bytesPerRow,
                                                       CVPixelBuffer::ReleaseCallback release);

inline OSStatus CVPixelBufferLockBaseAddress(const CVPixelBufferRef& buffer, std::uint64_t flags) {
    return buffer->lockBaseAddress(flags);
}
inline OSStatus CVPixelBufferUnlockBaseAddress(const CVPixelBufferRef& buffer,
                                               std::uint64_t flags) {
    return buffer->unlockBaseAddress(flags);
}
std::uint8_t* CVPixelBufferGetBaseAddress(const CVPixelBufferRef& buffer);
inline std::size_t CVPixelBufferGetBytesPerRow(const CVPixelBufferRef& buffer) {
    return buffer->bytesPerRow();
}

}  // namespace kavorn
