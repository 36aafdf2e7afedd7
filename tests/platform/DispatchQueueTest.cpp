// SPDX-License-Identifier: MIT
// Serial dispatch queues.
#include "platform/dispatch/DispatchQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace kavorn {
namespace {

TEST(DispatchQueueTest, RunsBlocksOneAtATimeInOrderOnItsOwnThread) {
    DispatchQueue queue("com.example.test");
    EXPECT_EQ(queue.label(), "com.example.test");
    std::vector<int> order;
    std::atomic<int> running{0};
    std::atomic<bool> overlapped{false};
    for (int i = 0; i < 1000; ++i) {
        queue.async([&, i] {
            if (running.fetch_add(1) != 0) {
                overlapped = true;
            }
            order.push_back(i);
            running.fetch_sub(1);
        });
    }
    bool onQueue = false;
    queue.sync([&] { onQueue = queue.isCurrent(); });
    EXPECT_TRUE(onQueue);
    EXPECT_FALSE(queue.isCurrent());
    EXPECT_FALSE(overlapped);
    ASSERT_EQ(order.size(), 1000U);
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(order[static_cast<std::size_t>(i)], i);
    }
}

TEST(DispatchQueueTest, DestructionRunsWhatIsQueuedFirst) {
    std::atomic<int> ran{0};
    {
        DispatchQueue queue("drain");
        queue.async([] { std::this_thread::sleep_for(std::chrono::milliseconds(20)); });
        for (int i = 0; i < 10; ++i) {
            queue.async([&] { ran.fetch_add(1); });
        }
    }
    EXPECT_EQ(ran.load(), 10);
}

TEST(DispatchQueueTest, MayBeDestroyedByOneOfItsOwnBlocks) {
    // An owner whose last reference is dropped by a block on its own queue.
    struct Owner {
        DispatchQueue queue{"self"};
    };
    auto owner = std::make_shared<Owner>();
    std::atomic<bool> done{false};
    Owner* raw = owner.get();
    raw->queue.async([owner = std::move(owner), &done]() mutable {
        owner.reset();
        done = true;
    });
    for (int i = 0; i < 500 && !done; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_TRUE(done);
}

}  // namespace
}  // namespace kavorn
