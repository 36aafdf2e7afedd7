// SPDX-License-Identifier: MIT
// Status codes of the media create calls, and the status-plus-object result they return.
#pragma once

#include <cstdint>

namespace kavorn {

using OSStatus = std::int32_t;
using FourCharCode = std::uint32_t;

inline constexpr OSStatus noErr = 0;
inline constexpr OSStatus kCVReturnInvalidArgument = -6661;
inline constexpr OSStatus kCVReturnAllocationFailed = -6662;
inline constexpr OSStatus kCMFormatDescriptionError_InvalidParameter = -12710;
inline constexpr OSStatus kCMFormatDescriptionError_AllocationFailed = -12711;
inline constexpr OSStatus kCMSampleBufferError_RequiredParameterMissing = -12731;
inline constexpr OSStatus kCMSampleBufferError_AllocationFailed = -12730;

// A create call's answer: a status (noErr for success) and the object, which may be absent
// even when the status says success. Callers check both.
template <class T>
struct Created {
    OSStatus status = noErr;
    T object{};

    bool succeeded() const { return status == noErr && object != nullptr; }
};

}  // namespace kavorn
