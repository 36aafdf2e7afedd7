// SPDX-License-Identifier: MIT
// One format a stream offers: a video format and its frame-duration range.
#pragma once

#include <optional>
#include <vector>

#include "platform/media/CMFormatDescription.h"
#include "platform/media/CMTime.h"

namespace kavorn {

struct CMIOExtensionStreamFormat {
    CMFormatDescriptionRef formatDescription;
    CMTime maxFrameDuration;
    CMTime minFrameDuration;
    std::optional<std::vector<CMTime>> validFrameDurations;
};

}  // namespace kavorn
