// SPDX-License-Identifier: MIT
// A labelled serial queue: one worker thread runs its blocks one at a time, first in first out.
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace kavorn {

class DispatchQueueCore;

// Owns its worker thread. Destroying the queue lets the blocks already queued run, then ends
// the worker; it may be destroyed from one of its own blocks.
class DispatchQueue {
public:
    explicit DispatchQueue(std::string label);
    ~DispatchQueue();
    DispatchQueue(const DispatchQueue&) = delete;
    DispatchQueue& operator=(const DispatchQueue&) = delete;

    const std::string& label() const;

    // Queues a block and returns at once. Any thread.
    void async(std::function<void()> work);
    // Runs a block on the queue and waits for it. Must not be called from the queue itself.
    void sync(const std::function<void()>& work);
    // Whether the calling thread is this queue's worker.
    bool isCurrent() const;

    const std::shared_ptr<DispatchQueueCore>& core() const { return core_; }

    // Waits until every queue of the process has run what it holds, including what those
    // blocks queue in turn (tests, before they take down what the blocks use). Must not be
    // called from a queue.
    static void waitUntilAllIdle();

private:
    std::shared_ptr<DispatchQueueCore> core_;
};

}  // namespace kavorn
