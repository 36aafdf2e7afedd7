// SPDX-License-Identifier: MIT
// Repeating dispatch timer.
#include "platform/dispatch/DispatchSourceTimer.h"

#include <cmath>

#include "platform/dispatch/DispatchQueue.h"
#include "platform/dispatch/TimeSource.h"
#include "platform/dispatch/TimerCore.h"

namespace kavorn {

DispatchSourceTimer::DispatchSourceTimer(const DispatchQueue& queue)
    : core_(std::make_shared<TimerCore>(queue.core())) {}

DispatchSourceTimer::~DispatchSourceTimer() {
    cancel();
}

void DispatchSourceTimer::schedule(DispatchTime deadline, double intervalSeconds,
                                   std::chrono::nanoseconds /*leeway*/) {
    core_->deadline = deadline.nanoseconds;
    // Whole nanoseconds, as the interval is handed to the kernel.
    core_->interval = static_cast<std::int64_t>(intervalSeconds * 1e9);
}

void DispatchSourceTimer::setEventHandler(std::function<void()> handler) {
    core_->setHandler(std::move(handler));
}

void DispatchSourceTimer::resume() {
    if (resumed_ || core_->isCancelled()) {
        return;
    }
    resumed_ = true;
    source_ = &TimeSource::current();
    source_->arm(core_);
}

void DispatchSourceTimer::cancel() {
    if (core_->isCancelled()) {
        return;
    }
    core_->cancel();
    if (source_ != nullptr) {
        source_->disarm(*core_);
    }
}

bool DispatchSourceTimer::isCancelled() const {
    return core_->isCancelled();
}

}  // namespace kavorn
