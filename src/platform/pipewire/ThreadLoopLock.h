// SPDX-License-Identifier: MIT
// Holds a PipeWire thread loop's lock for one scope.
#pragma once

#include <pipewire/thread-loop.h>

namespace kavorn {

// The lock is recursive, so the loop's own thread may take it again inside a callback.
class ThreadLoopLock {
public:
    explicit ThreadLoopLock(pw_thread_loop* loop) : loop_(loop) { pw_thread_loop_lock(loop_); }
    ~ThreadLoopLock() { pw_thread_loop_unlock(loop_); }
    ThreadLoopLock(const ThreadLoopLock&) = delete;
    ThreadLoopLock& operator=(const ThreadLoopLock&) = delete;

private:
    pw_thread_loop* loop_;
};

}  // namespace kavorn
