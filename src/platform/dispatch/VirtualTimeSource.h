// SPDX-License-Identifier: MIT
// Time that moves only when a test moves it, with timers fired deterministically.
#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/dispatch/TimeSource.h"

namespace kavorn {

// Install with ScopedTimeSource. The clock starts at `start` and stands still until advance()
// moves it. advance() fires every tick that falls due, in deadline order, each with the clock
// set to that tick's deadline, and waits for each tick to run on its queue before moving on.
// So a handler always reads the time at which its tick was due.
//
// A timer armed with a deadline that has passed fires at once, from the arming thread.
// advance() and settle() must not be called from a queue that a timer is bound to.
class VirtualTimeSource final : public TimeSource {
public:
    // The default start is far from zero so that clock readings are never mistaken for unset.
    explicit VirtualTimeSource(std::int64_t start = 1'000'000'000'000);

    std::int64_t now() const override { return now_.load(std::memory_order_acquire); }
    void arm(const std::shared_ptr<TimerCore>& timer) override;
    void disarm(const TimerCore& timer) override;

    void advance(std::chrono::nanoseconds by);
    void advanceTo(std::int64_t target);
    // Waits until every queue that an armed timer is bound to has run what it holds.
    void settle();

private:
    std::atomic<std::int64_t> now_;
    std::mutex mutex_;
    std::vector<std::shared_ptr<TimerCore>> armed_;
};

}  // namespace kavorn
