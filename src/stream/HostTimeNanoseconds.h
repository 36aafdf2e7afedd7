// SPDX-License-Identifier: MIT
// Host time as the whole nanoseconds passed with every sent frame.
#pragma once

#include <cstdint>

#include "platform/media/CMTime.h"

namespace kavorn {

// The reading in seconds times 1e9, with the fraction dropped. A reading that has no such
// value (not a number, negative, or 2^64 ns or more) gives 0 rather than overflowing.
std::uint64_t hostTimeInNanoseconds(CMTime time);

}  // namespace kavorn
