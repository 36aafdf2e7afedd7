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

// A valid time; a timescale of zero or less makes it invalid.
CMTime CMTimeMake(std::int64_t value, std::int32_t timescale);
// Seconds as a double: NaN for an invalid time, infinities for the infinite ones.
double CMTimeGetSeconds(CMTime time);

}  // namespace kavorn
