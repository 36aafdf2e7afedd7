// SPDX-License-Identifier: MIT
// Frames as the companion app would send them.
#pragma once

#include "platform/media/CMSampleBuffer.h"

namespace kavorn::test {

// A 1920x1080 BGRA frame of its own with the given presentation time and a 1/30 s duration.
CMSampleBufferRef makeFrame(CMTime presentationTime);

}  // namespace kavorn::test
