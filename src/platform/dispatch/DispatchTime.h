// SPDX-License-Identifier: MIT
// A point on the monotonic clock that timers are scheduled against.
#pragma once

#include <cstdint>

namespace kavorn {

struct DispatchTime {
    // Nanoseconds of the process's time source (CLOCK_MONOTONIC, or virtual time in tests).
    std::int64_t nanoseconds = 0;

    static DispatchTime now();
};

}  // namespace kavorn
