// SPDX-License-Identifier: MIT
// Media time: a 64-bit value over a 32-bit timescale.
#pragma once

#include <cstdint>

namespace kavorn {

enum CMTimeFlags : std::uint32_t {
    kCMTimeFlags_Valid = 1U << 0,
    kCMTimeFlags_HasBeenRounded = 1U << 1,
    kCMTimeFlags_PositiveInfinity = 1U << 2,
    kCMTimeFlags_NegativeInfinity = 1U << 3,
    kCMTimeFlags_Indefinite = 1U << 4,
};

struct CMTime {
    std::int64_t value = 0;
    std::int32_t timescale = 0;
    std::uint32_t flags = 0;

    bool isValid() const { return (flags & kCMTimeFlags_Valid) != 0; }
    bool isNumeric() const {
        return isValid() && timescale > 0 &&
               (flags & (kCMTimeFlags_PositiveInfinity | kCMTimeFlags_NegativeInfinity |
                         kCMTimeFlags_Indefinite)) == 0;
    }

    friend bool operator==(const CMTime&, const CMTime&) = default;
};

inline constexpr CMTime kCMTimeInvalid{};

enum class CMTimeRoundingMethod : std::uint32_t {
    RoundHalfAwayFromZero = 1,
    RoundTowardZero = 2,
    RoundAwayFromZero = 3,
    QuickTime = 4,
    RoundTowardNegativeInfinity = 5,
    RoundTowardPositiveInfinity = 6,
    Default = RoundHalfAwayFromZero,
};

// A valid time; a timescale of zero or less makes it invalid.
CMTime CMTimeMake(std::int64_t value, std::int32_t timescale);
// Seconds as a double: NaN for an invalid time, infinities for the infinite ones.
double CMTimeGetSeconds(CMTime time);
// The same time over another timescale, rounded as asked (exact rational arithmetic; the result
// is marked as rounded when it is not exact). An invalid time, or an invalid new timescale,
// gives an invalid time; an infinite or indefinite one keeps its kind. A result beyond the
// 64-bit range becomes the infinity of its sign.
CMTime CMTimeConvertScale(CMTime time, std::int32_t newTimescale, CMTimeRoundingMethod method);

}  // namespace kavorn
