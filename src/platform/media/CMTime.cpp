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

CMTime CMTimeConvertScale(CMTime time, std::int32_t newTimescale, CMTimeRoundingMethod method) {
    if (!time.isValid() || newTimescale <= 0) {
        return kCMTimeInvalid;
    }
    if (!time.isNumeric()) {
        return CMTime{0, newTimescale, time.flags};
    }
    if (time.timescale == newTimescale) {
        return time;
    }
    using Wide = __int128;
    const Wide numerator = static_cast<Wide>(time.value) * newTimescale;
    const Wide denominator = time.timescale;
    Wide quotient = numerator / denominator;  // rounds toward zero
    const Wide remainder = numerator % denominator;
    if (remainder != 0) {
        const bool negative = numerator < 0;
        const Wide twice = (remainder < 0 ? -remainder : remainder) * 2;
        bool awayFromZero = false;
        switch (method) {
            case CMTimeRoundingMethod::RoundHalfAwayFromZero:
                awayFromZero = twice >= denominator;
                break;
            case CMTimeRoundingMethod::RoundTowardZero:
                break;
            case CMTimeRoundingMethod::RoundAwayFromZero:
                awayFromZero = true;
                break;
            case CMTimeRoundingMethod::QuickTime:
                // Toward zero when shrinking the timescale, else half away from zero.
                awayFromZero = newTimescale > time.timescale && twice >= denominator;
                break;
            case CMTimeRoundingMethod::RoundTowardNegativeInfinity:
                awayFromZero = negative;
                break;
            case CMTimeRoundingMethod::RoundTowardPositiveInfinity:
                awayFromZero = !negative;
                break;
        }
        if (awayFromZero) {
            quotient += negative ? -1 : 1;
        }
    }
    if (quotient > std::numeric_limits<std::int64_t>::max()) {
        return CMTime{0, newTimescale, kCMTimeFlags_Valid | kCMTimeFlags_PositiveInfinity};
    }
    if (quotient < std::numeric_limits<std::int64_t>::min()) {
        return CMTime{0, newTimescale, kCMTimeFlags_Valid | kCMTimeFlags_NegativeInfinity};
    }
    std::uint32_t flags = kCMTimeFlags_Valid;
    if (remainder != 0) {
        flags |= kCMTimeFlags_HasBeenRounded;
    }
    return CMTime{static_cast<std::int64_t>(quotient), newTimescale, flags};
}

}  // namespace kavorn
