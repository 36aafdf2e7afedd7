// SPDX-License-Identifier: MIT
// Host time conversion.
#include "stream/HostTimeNanoseconds.h"

namespace kavorn {

std::uint64_t hostTimeInNanoseconds(CMTime time) {
    const double nanoseconds = CMTimeGetSeconds(time) * 1e9;
    // 2^64 exactly; NaN fails both comparisons.
    constexpr double kLimit = 18446744073709551616.0;
    if (!(nanoseconds >= 0) || !(nanoseconds < kLimit)) {
        return 0;
    }
    return static_cast<std::uint64_t>(nanoseconds);
}

}  // namespace kavorn
