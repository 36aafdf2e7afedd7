// SPDX-License-Identifier: MIT
// A repeating timer whose handler runs on a serial queue.
#pragma once

#include <chrono>
#include <functional>
#include <memory>

#include "platform/dispatch/DispatchTime.h"

namespace kavorn {

class DispatchQueue;
class TimerCore;
class TimeSource;

// Set up with schedule() and setEventHandler(), then resume(). Ticks run on the queue given at
// construction; a tick that comes while the previous one still waits there is merged into it.
// After cancel() returns, no handler call starts any more. Destroying the timer cancels it.
//
// Owned by one thread at a time; the handler runs on the queue.
class DispatchSourceTimer {
public:
    explicit DispatchSourceTimer(const DispatchQueue& queue);
    ~DispatchSourceTimer();
    DispatchSourceTimer(const DispatchSourceTimer&) = delete;
    DispatchSourceTimer& operator=(const DispatchSourceTimer&) = delete;

    // First tick at `deadline`, then every `intervalSeconds` (nanosecond resolution). The leeway
    // is accepted for the record; ticks are never deliberately late.
    void schedule(DispatchTime deadline, double intervalSeconds,
                  std::chrono::nanoseconds leeway = std::chrono::nanoseconds{0});
    void setEventHandler(std::function<void()> handler);
    void resume();
    void cancel();
    bool isCancelled() const;

private:
    std::shared_ptr<TimerCore> core_;
    TimeSource* source_ = nullptr;
    bool resumed_ = false;
};

}  // namespace kavorn
