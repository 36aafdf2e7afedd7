// SPDX-License-Identifier: MIT
// The host clock and the media clock. Both read the process's monotonic time source.
#pragma once

#include "platform/media/CMTime.h"

namespace kavorn {

struct CMClock;
using CMClockRef = const CMClock*;

// The clock that stamps frames: CLOCK_MONOTONIC, the clock PipeWire stamps with.
CMClockRef CMClockGetHostTimeClock();
// The clock's reading as nanoseconds (timescale 1,000,000,000).
CMTime CMClockGetTime(CMClockRef clock);

// Monotonic seconds of the same source, for elapsed-time tests.
double CACurrentMediaTime();

}  // namespace kavorn
