// SPDX-License-Identifier: MIT
// Main run loop on an atomic flag.
#include "platform/dispatch/RunLoop.h"

#include <atomic>

namespace kavorn {

struct CFRunLoop {
    std::atomic<int> stopRequested{0};
};

namespace {
CFRunLoop mainLoop;
}  // namespace

CFRunLoopRef CFRunLoopGetMain() {
    return &mainLoop;
}

void CFRunLoopRun() {
    for (;;) {
        if (mainLoop.stopRequested.exchange(0) != 0) {
            return;
        }
        mainLoop.stopRequested.wait(0);
    }
}

void CFRunLoopStop(CFRunLoopRef loop) {
    loop->stopRequested.store(1);
    loop->stopRequested.notify_all();
}

}  // namespace kavorn
