// SPDX-License-Identifier: MIT
// The process's monotonic time and the scheduler that fires timers against it.
#pragma once

#include <cstdint>
#include <memory>

namespace kavorn {

class TimerCore;

// One time source serves the whole process: the host and media clocks read it and every
// DispatchSourceTimer is armed on it. The real one follows CLOCK_MONOTONIC; tests install a
// VirtualTimeSource and move time by hand.
//
// All methods may be called from any thread.
class TimeSource {
public:
    virtual ~TimeSource() = default;

    // Monotonic nanoseconds.
    virtual std::int64_t now() const = 0;

    // Starts firing the timer at its deadline and then every interval. A deadline that has
    // already passed fires at once.
    virtual void arm(const std::shared_ptr<TimerCore>& timer) = 0;
    // Stops firing the timer. A tick already handed to its queue is not taken back; the timer
    // core itself drops it once cancelled.
    virtual void disarm(const TimerCore& timer) = 0;

    // The installed time source, or the real one.
    static TimeSource& current();
};

// Installs a time source for the lifetime of this object (tests). Not nestable across threads:
// install before any timer is armed and remove after every timer is gone.
class ScopedTimeSource {
public:
    explicit ScopedTimeSource(TimeSource& source);
    ~ScopedTimeSource();
    ScopedTimeSource(const ScopedTimeSource&) = delete;
    ScopedTimeSource& operator=(const ScopedTimeSource&) = delete;

private:
    TimeSource* previous_;
};

}  // namespace kavorn
