// SPDX-License-Identifier: MIT
// Delivery of timer ticks to their queue.
#include "platform/dispatch/TimerCore.h"

#include "platform/dispatch/DispatchQueueCore.h"

namespace kavorn {

void TimerCore::fire(const std::shared_ptr<TimerCore>& self) {
    if (isCancelled() || pending_.exchange(true, std::memory_order_acq_rel)) {
        return;
    }
    queue_->post([self] {
        self->pending_.store(false, std::memory_order_release);
        if (!self->isCancelled() && self->handler_) {
            self->handler_();
        }
    });
}

}  // namespace kavorn
