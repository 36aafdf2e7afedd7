// SPDX-License-Identifier: MIT
// Host and media clocks over the time source.
#include "platform/media/HostTimeClock.h"

#include "platform/dispatch/TimeSource.h"

namespace kavorn {

struct CMClock {};

namespace {
constexpr CMClock hostTimeClock{};
}  // namespace

CMClockRef CMClockGetHostTimeClock() {
    return &hostTimeClock;
}

CMTime CMClockGetTime(CMClockRef /*clock*/) {
    return CMTimeMake(TimeSource::current().now(), 1'000'000'000);
}

double CACurrentMediaTime() {
    return static_cast<double>(TimeSource::current().now()) / 1e9;
}

}  // namespace kavorn
