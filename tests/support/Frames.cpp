// SPDX-License-Identifier: MIT
// Test frames.
#include "support/Frames.h"

namespace kavorn::test {

CMSampleBufferRef makeFrame(CMTime presentationTime) {
    auto pixels = CVPixelBufferCreate(1920, 1080, kCVPixelFormatType_32BGRA, {}).object;
    auto description = CMVideoFormatDescriptionCreateForImageBuffer(pixels).object;
    return CMSampleBufferCreateReadyWithImageBuffer(
               pixels, description, {CMTimeMake(1, 30), presentationTime, kCMTimeInvalid})
        .object;
}

}  // namespace kavorn::test
