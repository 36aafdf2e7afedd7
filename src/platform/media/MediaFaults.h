// SPDX-License-Identifier: MIT
// Test seam: make a given media create call fail.
#pragma once

#include <cstdint>

#include "platform/media/OSStatus.h"

namespace kavorn {

enum class MediaCall : std::uint8_t {
    CVPixelBufferCreate,
    CVPixelBufferBaseAddress,
    CMVideoFormatDescriptionCreate,
    CMVideoFormatDescriptionCreateForImageBuffer,
    CMSampleBufferCreateReadyWithImageBuffer,
    CGBitmapContextCreate,
    CTFontCreateUIFontForLanguage,
};

// While a fault is set for a call, that call fails with `status` (or, for the calls that return
// a bare pointer, returns none), every time, on every thread, until cleared.
class MediaFaults {
public:
    static void fail(MediaCall call, OSStatus status = -1);
    static void clear(MediaCall call);
    // The status the call must fail with, or noErr when it should go through.
    static OSStatus injected(MediaCall call);
};

// Sets a fault for the lifetime of this object.
class ScopedMediaFault {
public:
    explicit ScopedMediaFault(MediaCall call, OSStatus status = -1) : call_(call) {
        MediaFaults::fail(call, status);
    }
    ~ScopedMediaFault() { MediaFaults::clear(call_); }
    ScopedMediaFault(const ScopedMediaFault&) = delete;
    ScopedMediaFault& operator=(const ScopedMediaFault&) = delete;

private:
    MediaCall call_;
};

}  // namespace kavorn
