// SPDX-License-Identifier: MIT
// Serial dispatch queue.
#include "platform/dispatch/DispatchQueue.h"

#include <cstdio>
#include <cstdlib>
#include <future>

#include "platform/dispatch/DispatchQueueCore.h"

namespace kavorn {

DispatchQueue::DispatchQueue(std::string label)
    : core_(std::make_shared<DispatchQueueCore>(std::move(label))) {
    core_->start();
}

DispatchQueue::~DispatchQueue() { core_->shutdown(); }

const std::string& DispatchQueue::label() const { return core_->label(); }

void DispatchQueue::async(std::function<void()> work) { core_->post(std::move(work)); }

void DispatchQueue::sync(const std::function<void()>& work) {
    if (isCurrent()) {
        std::fprintf(stderr, "DispatchQueue: sync onto the current queue %s would deadlock\n",
                     label().c_str());
        std::abort();
    }
    std::promise<void> done;
    core_->post([&] {
        work();
        done.set_value();
    });
    done.get_future().wait();
}

bool DispatchQueue::isCurrent() const { return core_->isCurrent(); }

}  // namespace kavorn
