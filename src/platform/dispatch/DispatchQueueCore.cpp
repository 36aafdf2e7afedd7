// SPDX-License-Identifier: MIT
// The worker loop of a serial dispatch queue.
#include "platform/dispatch/DispatchQueueCore.h"

#include <pthread.h>

namespace kavorn {

namespace {

thread_local const DispatchQueueCore* currentQueue = nullptr;

std::mutex registryMutex;
std::vector<std::weak_ptr<DispatchQueueCore>>& registry() {
    static auto* queues = new std::vector<std::weak_ptr<DispatchQueueCore>>();
    return *queues;
}

}  // namespace

std::vector<std::shared_ptr<DispatchQueueCore>> DispatchQueueCore::liveQueues() {
    std::lock_guard lock(registryMutex);
    std::vector<std::shared_ptr<DispatchQueueCore>> live;
    std::erase_if(registry(), [&](const std::weak_ptr<DispatchQueueCore>& weak) {
        auto core = weak.lock();
        if (core) {
            live.push_back(std::move(core));
        }
        return !core;
    });
    return live;
}

bool DispatchQueueCore::isIdle() {
    std::lock_guard lock(mutex_);
    return work_.empty() && !running_;
}

DispatchQueueCore::DispatchQueueCore(std::string label) : label_(std::move(label)) {}

DispatchQueueCore::~DispatchQueueCore() {
    if (worker_.joinable()) {
        worker_.detach();
    }
}

void DispatchQueueCore::start() {
    {
        std::lock_guard lock(registryMutex);
        registry().push_back(weak_from_this());
    }
    worker_ = std::thread([self = shared_from_this()] { self->run(); });
}

void DispatchQueueCore::post(std::function<void()> work) {
    {
        std::lock_guard lock(mutex_);
        if (stopping_) {
            return;
        }
        work_.push_back(std::move(work));
    }
    wake_.notify_one();
}

void DispatchQueueCore::shutdown() {
    {
        std::lock_guard lock(mutex_);
        if (stopping_) {
            return;
        }
        stopping_ = true;
    }
    wake_.notify_one();
    if (isCurrent()) {
        worker_.detach();
    } else if (worker_.joinable()) {
        worker_.join();
    }
}

bool DispatchQueueCore::isCurrent() const {
    return currentQueue == this;
}

void DispatchQueueCore::run() {
    // Thread names are limited to 15 characters; the tail of the label is the telling part.
    std::string name = label_.size() > 15 ? label_.substr(label_.size() - 15) : label_;
    pthread_setname_np(pthread_self(), name.c_str());
    currentQueue = this;
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !work_.empty(); });
        if (work_.empty()) {
            break;
        }
        std::function<void()> work = std::move(work_.front());
        work_.pop_front();
        running_ = true;
        lock.unlock();
        work();
        // Whatever the block captured is released here, off the lock.
        work = nullptr;
        lock.lock();
        running_ = false;
    }
    currentQueue = nullptr;
}

}  // namespace kavorn
