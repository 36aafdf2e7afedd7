// SPDX-License-Identifier: MIT
// The worker thread and work list behind a DispatchQueue.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kavorn {

// Shared by the DispatchQueue that owns it, its worker thread and the timers bound to it, so
// that a timer can still post (and be refused) after the queue is gone.
class DispatchQueueCore : public std::enable_shared_from_this<DispatchQueueCore> {
public:
    explicit DispatchQueueCore(std::string label);
    ~DispatchQueueCore();

    // Starts the worker; called once, right after construction.
    void start();
    // Work posted after shutdown() is dropped.
    void post(std::function<void()> work);
    // Lets the worker finish what is queued, then ends it. Joins it, unless called from the
    // worker itself (the last owner may be released by a block running on the queue).
    void shutdown();

    bool isCurrent() const;
    // Nothing queued and nothing running.
    bool isIdle();
    const std::string& label() const { return label_; }

    // Every queue whose worker still runs.
    static std::vector<std::shared_ptr<DispatchQueueCore>> liveQueues();

private:
    void run();

    const std::string label_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> work_;
    bool stopping_ = false;
    bool running_ = false;
    std::thread worker_;
};

}  // namespace kavorn
