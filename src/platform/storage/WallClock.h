// SPDX-License-Identifier: MIT
// Wall-clock time, as seconds since 2001-01-01 00:00:00 UTC.
#pragma once

#include <functional>

namespace kavorn {

using CFAbsoluteTime = double;

// Seconds between 1970-01-01 and 2001-01-01, both 00:00:00 UTC.
inline constexpr double kCFAbsoluteTimeIntervalSince1970 = 978307200.0;

// The current wall-clock time, with its fraction. Any thread.
CFAbsoluteTime CFAbsoluteTimeGetCurrent();

// Replaces the wall clock for the lifetime of this object (tests). One at a time.
class ScopedWallClock {
public:
    explicit ScopedWallClock(std::function<CFAbsoluteTime()> now);
    ~ScopedWallClock();
    ScopedWallClock(const ScopedWallClock&) = delete;
    ScopedWallClock& operator=(const ScopedWallClock&) = delete;

    CFAbsoluteTime now() const { return now_(); }

private:
    std::function<CFAbsoluteTime()> now_;
};

}  // namespace kavorn
