// SPDX-License-Identifier: MIT
// Pixel buffers.
#include "platform/media/CVPixelBuffer.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/media/MediaFaults.h"

namespace kavorn {

namespace {

constexpr std::int64_t kMaxSide = 16384;
constexpr std::size_t kRowAlignment = 64;
std::atomic<std::uint64_t> bytesAllocated{0};
std::atomic<std::uint64_t> nextIdentity{1};

bool validSize(std::int64_t width, std::int64_t height) {
    return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide;
}

}  // namespace

CVPixelBuffer::CVPixelBuffer(std::size_t width, std::size_t height, FourCharCode pixelFormat,
                             std::size_t bytesPerRow, std::uint8_t* memory, ReleaseCallback release,
                             CVPixelBufferAttributes attributes)
    : width_(width),
      height_(height),
      pixelFormat_(pixelFormat),
      bytesPerRow_(bytesPerRow),
      memory_(memory),
      release_(std::move(release)),
      attributes_(attributes),
      identity_(nextIdentity.fetch_add(1, std::memory_order_relaxed)) {}

CVPixelBuffer::~CVPixelBuffer() {
    if (release_) {
        release_();
    }
}

OSStatus CVPixelBuffer::lockBaseAddress(std::uint64_t /*flags*/) {
    lockCount_.fetch_add(1, std::memory_order_acq_rel);
    return noErr;
}

OSStatus CVPixelBuffer::unlockBaseAddress(std::uint64_t flags) {
    int count = lockCount_.load(std::memory_order_acquire);
    while (count > 0 &&
           !lockCount_.compare_exchange_weak(count, count - 1, std::memory_order_acq_rel)) {
    }
    if (count <= 0) {
        return kCVReturnInvalidArgument;
    }
    if ((flags & kCVPixelBufferLock_ReadOnly) == 0) {
        contentVersion_.fetch_add(1, std::memory_order_acq_rel);
    }
    return noErr;
}

std::uint8_t* CVPixelBuffer::baseAddress() const {
    return lockCount_.load(std::memory_order_acquire) > 0 ? memory_ : nullptr;
}

std::uint64_t CVPixelBuffer::totalBytesAllocated() {
    return bytesAllocated.load(std::memory_order_relaxed);
}

void CVPixelBuffer::noteAllocation(std::size_t bytes) {
    bytesAllocated.fetch_add(bytes, std::memory_order_relaxed);
}

Created<CVPixelBufferRef> CVPixelBufferCreate(std::int64_t width, std::int64_t height,
                                              FourCharCode pixelFormat,
                                              const CVPixelBufferAttributes& attributes) {
    if (OSStatus fault = MediaFaults::injected(MediaCall::CVPixelBufferCreate); fault != noErr) {
        return {fault, nullptr};
    }
    if (!validSize(width, height) || pixelFormat != kCVPixelFormatType_32BGRA) {
        return {kCVReturnInvalidArgument, nullptr};
    }
    const std::size_t rowBytes =
        (static_cast<std::size_t>(width) * 4 + kRowAlignment - 1) / kRowAlignment * kRowAlignment;
    const std::size_t size = rowBytes * static_cast<std::size_t>(height);
    auto* memory = static_cast<std::uint8_t*>(std::aligned_alloc(kRowAlignment, size));
    if (memory == nullptr) {
        return {kCVReturnAllocationFailed, nullptr};
    }
    std::memset(memory, 0, size);
    CVPixelBuffer::noteAllocation(size);
    auto buffer = std::make_shared<CVPixelBuffer>(
        static_cast<std::size_t>(width), static_cast<std::size_t>(height), pixelFormat, rowBytes,
        memory, [memory] { std::free(memory); }, attributes);
    return {noErr, std::move(buffer)};
}

Created<CVPixelBufferRef> CVPixelBufferCreateWithBytes(std::int64_t width, std::int64_t height,
                                                       FourCharCode pixelFormat,
                                                       std::uint8_t* memory,
                                                       std::size_t bytesPerRow,
                                                       CVPixelBuffer::ReleaseCallback release) {
    if (!validSize(width, height) || pixelFormat != kCVPixelFormatType_32BGRA ||
        memory == nullptr || bytesPerRow < static_cast<std::size_t>(width) * 4) {
        return {kCVReturnInvalidArgument, nullptr};
    }
    auto buffer = std::make_shared<CVPixelBuffer>(
        static_cast<std::size_t>(width), static_cast<std::size_t>(height), pixelFormat, bytesPerRow,
        memory, std::move(release), CVPixelBufferAttributes{});
    return {noErr, std::move(buffer)};
}

std::uint8_t* CVPixelBufferGetBaseAddress(const CVPixelBufferRef& buffer) {
    if (MediaFaults::injected(MediaCall::CVPixelBufferBaseAddress) != noErr) {
        return nullptr;
    }
    return buffer->baseAddress();
}

}  // namespace kavorn
