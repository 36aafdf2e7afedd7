// SPDX-License-Identifier: MIT
// Dispatch timers on virtual and real time.
#include "platform/dispatch/DispatchSourceTimer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/dispatch/DispatchQueue.h"
#include "platform/dispatch/VirtualTimeSource.h"
#include "platform/media/HostTimeClock.h"

namespace kavorn {
namespace {

constexpr std::int64_t kMs = 1'000'000;

TEST(DispatchSourceTimerTest, TicksAtOnceThenEachIntervalSeeingItsOwnDeadline) {
    VirtualTimeSource time;
    ScopedTimeSource scope(time);
    DispatchQueue queue("timer");
    std::vector<std::int64_t> seen;  // queue only
    const std::int64_t start = time.now();

    DispatchSourceTimer timer(queue);
    timer.schedule(DispatchTime::now(), 0.010);
    timer.setEventHandler([&] {
        EXPECT_TRUE(queue.isCurrent());
        seen.push_back(time.now());
        EXPECT_EQ(CMClockGetTime(CMClockGetHostTimeClock()).value, time.now());
        EXPECT_DOUBLE_EQ(CACurrentMediaTime(), static_cast<double>(time.now()) / 1e9);
    });
    timer.resume();
    time.settle();
    queue.sync([&] { EXPECT_EQ(seen, (std::vector<std::int64_t>{start})); });

    time.advance(std::chrono::milliseconds(35));
    queue.sync([&] {
        EXPECT_EQ(seen, (std::vector<std::int64_t>{start, start + 10 * kMs, start + 20 * kMs,
                                                   start + 30 * kMs}));
    });
    EXPECT_EQ(time.now(), start + 35 * kMs);

    timer.cancel();
    EXPECT_TRUE(timer.isCancelled());
    time.advance(std::chrono::milliseconds(100));
    queue.sync([&] { EXPECT_EQ(seen.size(), 4U); });
}

TEST(DispatchSourceTimerTest, CancelFromTheHandlerStopsFurtherTicks) {
    VirtualTimeSource time;
    ScopedTimeSource scope(time);
    DispatchQueue queue("cancel");
    int ticks = 0;
    DispatchSourceTimer timer(queue);
    timer.schedule(DispatchTime::now(), 0.001);
    timer.setEventHandler([&] {
        if (++ticks == 3) {
            timer.cancel();
        }
    });
    timer.resume();
    time.advance(std::chrono::milliseconds(50));
    queue.sync([&] { EXPECT_EQ(ticks, 3); });
}

TEST(DispatchSourceTimerTest, BusyQueueGetsOneMergedTickNotABacklog) {
    DispatchQueue queue("busy");
    std::atomic<int> ticks{0};
    DispatchSourceTimer timer(queue);
    timer.schedule(DispatchTime::now(), 0.001);
    timer.setEventHandler([&] { ticks.fetch_add(1); });
    // Hold the queue for 100 ms of real time while the timer would fire ~100 times.
    queue.async([] { std::this_thread::sleep_for(std::chrono::milliseconds(100)); });
    timer.resume();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    timer.cancel();
    queue.sync([] {});
    EXPECT_LE(ticks.load(), 2);
}

TEST(DispatchSourceTimerTest, DestroyingTheTimerCancelsIt) {
    VirtualTimeSource time;
    ScopedTimeSource scope(time);
    DispatchQueue queue("destroy");
    int ticks = 0;
    {
        DispatchSourceTimer timer(queue);
        timer.schedule(DispatchTime{time.now() + 5 * kMs}, 0.005);
        timer.setEventHandler([&] { ++ticks; });
        timer.resume();
    }
    time.advance(std::chrono::milliseconds(50));
    queue.sync([&] { EXPECT_EQ(ticks, 0); });
}

}  // namespace
}  // namespace kavorn
