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

DispatchQueue::~DispatchQueue() {
    core_->shutdown();
}

const std::string& DispatchQueue::label() const {
    return core_->label();
}

void DispatchQueue::async(std::function<void()> work) {
    // The block may release the last owner of this queue before post() returns; the copy keeps
    // the core alive until then.
    std::shared_ptr<DispatchQueueCore> core = core_;
    core->post(std::move(work));
}

void DispatchQueue::sync(const std::function<void()>& work) {
    if (isCurrent()) {
        std::fprintf(stderr, "DispatchQueue: sync onto the current queue %s would deadlock\n",
                     label().c_str());
        std::abort();
    }
    std::shared_ptr<DispatchQueueCore> core = core_;
    std::promise<void> done;
    core->post([&] {
        work();
        done.set_value();
    });
    done.get_future().wait();
}

bool DispatchQueue::isCurrent() const {
    return core_->isCurrent();
}

}  // namespace kavorn

namespace kavorn {

void DispatchQueue::waitUntilAllIdle() {
    // Blocks may queue more work elsewhere; go round until a round finds every queue idle.
    for (int round = 0; round < 100; ++round) {
        bool allIdle = true;
        for (const auto& core : DispatchQueueCore::liveQueues()) {
            if (core->isCurrent()) {
                continue;
            }
            if (!core->isIdle()) {
                allIdle = false;
            }
            auto done = std::make_shared<std::promise<void>>();
            auto finished = done->get_future();
            core->post([done] { done->set_value(); });
            // A queue that is shutting down refuses the block; it has run its last one then.
            finished.wait_for(std::chrono::seconds(30));
        }
        if (allIdle) {
            return;
        }
    }
}

}  // namespace kavorn
