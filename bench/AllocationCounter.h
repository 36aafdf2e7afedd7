// SPDX-License-Identifier: MIT
// Counts heap allocations made through operator new, for per-frame reports.
#pragma once

#include <cstdint>

namespace kavorn::bench {

std::uint64_t heapAllocations();

}  // namespace kavorn::bench
