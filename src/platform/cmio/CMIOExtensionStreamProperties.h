// SPDX-License-Identifier: MIT
// The property values of a stream, as asked for or set by the host. Every member may be absent.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/media/CMTime.h"

namespace kavorn {

struct CMIOExtensionStreamProperties {
    std::optional<std::int64_t> activeFormatIndex;
    std::optional<CMTime> frameDuration;
    std::optional<std::int64_t> sinkBufferQueueSize;
    std::optional<std::int64_t> sinkBuffersRequiredForStartup;
    std::optional<bool> sinkEndOfData;

    bool isEmpty() const { return *this == CMIOExtensionStreamProperties{}; }

    friend bool operator==(const CMIOExtensionStreamProperties&,
                           const CMIOExtensionStreamProperties&) = default;
};

}  // namespace kavorn
