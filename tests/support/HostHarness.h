// SPDX-License-Identifier: MIT
// Virtual time, the loopback host, captured output and a private XDG home, for one test.
#pragma once

#include <chrono>
#include <cstdint>

#include "platform/dispatch/DispatchQueue.h"
#include "platform/dispatch/VirtualTimeSource.h"
#include "platform/log/OutputCapture.h"
#include "platform/loopback/LoopbackHost.h"
#include "support/TemporaryHome.h"

namespace kavorn::test {

inline constexpr std::int64_t kTickNanoseconds = 33'333'333;  // 1/30 s, whole nanoseconds

struct HostHarness {
    TemporaryHome home;
    VirtualTimeSource time;
    ScopedTimeSource timeScope{time};
    LoopbackHost host;
    ScopedHost hostScope{host};
    OutputCapture output;

    // Work still queued may use the clock, the host and the home: let it finish first.
    ~HostHarness() { DispatchQueue::waitUntilAllIdle(); }

    void advance(std::int64_t nanoseconds) { time.advance(std::chrono::nanoseconds(nanoseconds)); }
};

}  // namespace kavorn::test
