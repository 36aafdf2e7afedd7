// SPDX-License-Identifier: MIT
// Real time: CLOCK_MONOTONIC and a scheduling thread.
#include "platform/dispatch/RealTimeSource.h"

#include <pthread.h>
#include <time.h>

#include <algorithm>
#include <chrono>

#include "platform/dispatch/TimerCore.h"

namespace kavorn {

RealTimeSource& RealTimeSource::shared() {
    // Never destroyed: timers may be cancelled from static destructors.
    static RealTimeSource* source = new RealTimeSource();
    return *source;
}

std::int64_t RealTimeSource::now() const {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

void RealTimeSource::arm(const std::shared_ptr<TimerCore>& timer) {
    {
        std::lock_guard lock(mutex_);
        armed_.push_back(timer);
        if (!started_) {
            started_ = true;
            std::thread([this] { run(); }).detach();
        }
    }
    wake_.notify_one();
}

void RealTimeSource::disarm(const TimerCore& timer) {
    std::lock_guard lock(mutex_);
    std::erase_if(armed_, [&](const auto& t) { return t.get() == &timer; });
}

void RealTimeSource::run() {
    pthread_setname_np(pthread_self(), "kavorn-timers");
    std::unique_lock lock(mutex_);
    for (;;) {
        std::int64_t next = INT64_MAX;
        const std::int64_t current = now();
        for (const auto& timer : armed_) {
            if (timer->deadline <= current) {
                timer->fire(timer);
                if (timer->interval <= 0) {
                    timer->deadline = INT64_MAX;
                    continue;
                }
                // After a stall, resume on the original cadence instead of catching up.
                const std::int64_t missed = (current - timer->deadline) / timer->interval + 1;
                timer->deadline += missed * timer->interval;
            }
            next = std::min(next, timer->deadline);
        }
        std::erase_if(armed_, [](const auto& t) { return t->isCancelled(); });
        if (next == INT64_MAX) {
            wake_.wait(lock);
        } else {
            // steady_clock is CLOCK_MONOTONIC on Linux, the same clock as now().
            const auto wait = std::chrono::nanoseconds(next - now());
            wake_.wait_for(lock, wait);
        }
    }
}

}  // namespace kavorn
