// SPDX-License-Identifier: MIT
// Media time arithmetic.
#include "platform/media/CMTime.h"

#include <limits>

namespace kavorn {

CMTime CMTimeMake(std::int64_t value, std::int32_t timescale) {
    if (timescale <= 0) {
        return kCMTimeInvalid;
    }
    return CMTime{value, timescale, kCMTimeFlags_Valid};
}

double CMTimeGetSeconds(CMTime time) {
    if (!time.isValid() || (time.flags & kCMTimeFlags_Indefinite) != 0) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    if ((time.flags & kCMTimeFlags_PositiveInfinity) != 0) {
        return std::numeric_limits<double>::infinity();
    }
    if ((time.flags & kCMTimeFlags_NegativeInfinity) != 0) {
        return -std::numeric_limits<double>::infinity();
    }
    if (time.timescale <= 0) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    return static_cast<double>(time.value) / static_cast<double>(time.timescale);
}

}  // namespace kavorn
