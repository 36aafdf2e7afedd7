// SPDX-License-Identifier: MIT
// Virtual time for tests.
#include "platform/dispatch/VirtualTimeSource.h"

#include <algorithm>
#include <future>

#include "platform/dispatch/DispatchQueueCore.h"
#include "platform/dispatch/TimerCore.h"

namespace kavorn {

namespace {

void drain(const std::shared_ptr<DispatchQueueCore>& queue) {
    auto done = std::make_shared<std::promise<void>>();
    auto finished = done->get_future();
    queue->post([done] { done->set_value(); });
    // A queue that is shutting down refuses the block; it has nothing left to run then.
    finished.wait_for(std::chrono::seconds(30));
}

}  // namespace

VirtualTimeSource::VirtualTimeSource(std::int64_t start) : now_(start) {}

void VirtualTimeSource::arm(const std::shared_ptr<TimerCore>& timer) {
    std::lock_guard lock(mutex_);
    armed_.push_back(timer);
    if (timer->deadline <= now()) {
        timer->fire(timer);
        timer->deadline = timer->interval > 0 ? timer->deadline + timer->interval : INT64_MAX;
    }
}

void VirtualTimeSource::disarm(const TimerCore& timer) {
    std::lock_guard lock(mutex_);
    std::erase_if(armed_, [&](const auto& t) { return t.get() == &timer; });
}

void VirtualTimeSource::advance(std::chrono::nanoseconds by) {
    advanceTo(now() + by.count());
}

void VirtualTimeSource::advanceTo(std::int64_t target) {
    settle();
    for (;;) {
        std::shared_ptr<TimerCore> due;
        {
            std::lock_guard lock(mutex_);
            for (const auto& timer : armed_) {
                if (timer->deadline <= target && (!due || timer->deadline < due->deadline)) {
                    due = timer;
                }
            }
            if (!due) {
                break;
            }
            now_.store(std::max(now(), due->deadline), std::memory_order_release);
            due->fire(due);
            due->deadline = due->interval > 0 ? due->deadline + due->interval : INT64_MAX;
        }
        // Off the lock: the handler may cancel timers or arm new ones.
        drain(due->queue());
    }
    now_.store(std::max(now(), target), std::memory_order_release);
}

void VirtualTimeSource::settle() {
    std::vector<std::shared_ptr<DispatchQueueCore>> queues;
    {
        std::lock_guard lock(mutex_);
        for (const auto& timer : armed_) {
            if (std::find(queues.begin(), queues.end(), timer->queue()) == queues.end()) {
                queues.push_back(timer->queue());
            }
        }
    }
    for (const auto& queue : queues) {
        drain(queue);
    }
}

}  // namespace kavorn
