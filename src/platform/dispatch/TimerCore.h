// SPDX-License-Identifier: MIT
// The shared state of one DispatchSourceTimer, as seen by the time source that fires it.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

namespace kavorn {

class DispatchQueueCore;

// Owned jointly by its DispatchSourceTimer and, while armed, by the time source.
//
// `deadline` and `interval` belong to the time source that arms the timer and are touched only
// under its lock. The handler is set before the timer is armed and never changes after.
class TimerCore {
public:
    TimerCore(std::shared_ptr<DispatchQueueCore> queue) : queue_(std::move(queue)) {}

    void setHandler(std::function<void()> handler) { handler_ = std::move(handler); }

    // Hands one tick to the timer's queue. While a tick is still waiting there, further ticks
    // are merged into it, so a busy queue never builds up a backlog of ticks.
    void fire(const std::shared_ptr<TimerCore>& self);

    void cancel() { cancelled_.store(true, std::memory_order_release); }
    bool isCancelled() const { return cancelled_.load(std::memory_order_acquire); }

    const std::shared_ptr<DispatchQueueCore>& queue() const { return queue_; }

    std::int64_t deadline = 0;
    std::int64_t interval = 0;

private:
    std::shared_ptr<DispatchQueueCore> queue_;
    std::function<void()> handler_;
    std::atomic<bool> cancelled_{false};
    std::atomic<bool> pending_{false};
};

}  // namespace kavorn
