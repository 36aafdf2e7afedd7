// SPDX-License-Identifier: MIT
// When a consumed sink buffer was output: its sequence number and host time.
#pragma once

#include <cstdint>

namespace kavorn {

struct CMIOExtensionScheduledOutput {
    std::uint64_t sequenceNumber = 0;
    std::uint64_t hostTimeInNanoseconds = 0;

    friend bool operator==(const CMIOExtensionScheduledOutput&,
                           const CMIOExtensionScheduledOutput&) = default;
};

}  // namespace kavorn
