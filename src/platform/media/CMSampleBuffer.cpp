// SPDX-License-Identifier: MIT
// Sample buffers.
#include "platform/media/CMSampleBuffer.h"

#include "platform/media/MediaFaults.h"

namespace kavorn {

Created<CMSampleBufferRef> CMSampleBufferCreateReadyWithImageBuffer(
    const CVImageBufferRef& imageBuffer, const CMFormatDescriptionRef& formatDescription,
    const CMSampleTimingInfo& timing) {
    if (OSStatus fault = MediaFaults::injected(MediaCall::CMSampleBufferCreateReadyWithImageBuffer);
        fault != noErr) {
        return {fault, nullptr};
    }
    if (!imageBuffer || !formatDescription) {
        return {kCMSampleBufferError_RequiredParameterMissing, nullptr};
    }
    return {noErr, std::make_shared<const CMSampleBuffer>(imageBuffer, formatDescription, timing)};
}

}  // namespace kavorn
