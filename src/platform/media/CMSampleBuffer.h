// SPDX-License-Identifier: MIT
// Sample buffers: a pixel buffer with its format description and one timing entry.
#pragma once

#include <memory>

#include "platform/media/CMFormatDescription.h"
#include "platform/media/CMTime.h"
#include "platform/media/CVPixelBuffer.h"

namespace kavorn {

struct CMSampleTimingInfo {
    CMTime duration;
    CMTime presentationTimeStamp;
    CMTime decodeTimeStamp;
};

// Immutable once made; shared by everyone who passes it on.
class CMSampleBuffer {
public:
    CMSampleBuffer(CVImageBufferRef imageBuffer, CMFormatDescriptionRef formatDescription,
                   CMSampleTimingInfo timing)
        : imageBuffer_(std::move(imageBuffer)),
          formatDescription_(std::move(formatDescription)),
          timing_(timing) {}

    const CVImageBufferRef& imageBuffer() const { return imageBuffer_; }
    const CMFormatDescriptionRef& formatDescription() const { return formatDescription_; }
    const CMSampleTimingInfo& timing() const { return timing_; }

private:
    const CVImageBufferRef imageBuffer_;
    const CMFormatDescriptionRef formatDescription_;
    const CMSampleTimingInfo timing_;
};

using CMSampleBufferRef = std::shared_ptr<const CMSampleBuffer>;

// Fails with kCMSampleBufferError_RequiredParameterMissing without a buffer or description.
Created<CMSampleBufferRef> CMSampleBufferCreateReadyWithImageBuffer(
    const CVImageBufferRef& imageBuffer, const CMFormatDescriptionRef& formatDescription,
    const CMSampleTimingInfo& timing);

inline CMTime CMSampleBufferGetPresentationTimeStamp(const CMSampleBufferRef& buffer) {
    return buffer->timing().presentationTimeStamp;
}
inline CMTime CMSampleBufferGetDuration(const CMSampleBufferRef& buffer) {
    return buffer->timing().duration;
}
inline const CVImageBufferRef& CMSampleBufferGetImageBuffer(const CMSampleBufferRef& buffer) {
    return buffer->imageBuffer();
}
inline const CMFormatDescriptionRef& CMSampleBufferGetFormatDescription(
    const CMSampleBufferRef& buffer) {
    return buffer->formatDescription();
}

}  // namespace kavorn
