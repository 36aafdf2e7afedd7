// SPDX-License-Identifier: MIT
// The main run loop.
#include "platform/dispatch/RunLoop.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace kavorn {
namespace {

TEST(RunLoopTest, RunsUntilStoppedFromAnotherThread) {
    std::atomic<bool> returned{false};
    std::thread main([&] {
        CFRunLoopRun();
        returned = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(returned);
    CFRunLoopStop(CFRunLoopGetMain());
    main.join();
    EXPECT_TRUE(returned);

    // A stop that comes first is not lost, and is used up by the run it ends.
    CFRunLoopStop(CFRunLoopGetMain());
    CFRunLoopRun();
    std::thread again([] { CFRunLoopRun(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    CFRunLoopStop(CFRunLoopGetMain());
    again.join();
}

}  // namespace
}  // namespace kavorn
