// SPDX-License-Identifier: MIT
// Wall clock.
#include "platform/storage/WallClock.h"

#include <time.h>

#include <atomic>

namespace kavorn {

namespace {
std::atomic<ScopedWallClock*> installed{nullptr};
}  // namespace

CFAbsoluteTime CFAbsoluteTimeGetCurrent() {
    if (ScopedWallClock* clock = installed.load(std::memory_order_acquire)) {
        return clock->now();
    }
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return static_cast<double>(ts.tv_sec) - kCFAbsoluteTimeIntervalSince1970 +
           static_cast<double>(ts.tv_nsec) / 1e9;
}

ScopedWallClock::ScopedWallClock(std::function<CFAbsoluteTime()> now) : now_(std::move(now)) {
    installed.store(this, std::memory_order_release);
}

ScopedWallClock::~ScopedWallClock() {
    installed.store(nullptr, std::memory_order_release);
}

}  // namespace kavorn
