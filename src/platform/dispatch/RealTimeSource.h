// SPDX-License-Identifier: MIT
// The time source on CLOCK_MONOTONIC, with one thread that fires every armed timer.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/dispatch/TimeSource.h"

namespace kavorn {

// The scheduling thread starts with the first armed timer and lives until the process ends.
class RealTimeSource final : public TimeSource {
public:
    static RealTimeSource& shared();

    std::int64_t now() const override;
    void arm(const std::shared_ptr<TimerCore>& timer) override;
    void disarm(const TimerCore& timer) override;

private:
    RealTimeSource() = default;
    void run();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::vector<std::shared_ptr<TimerCore>> armed_;
    bool started_ = false;
};

}  // namespace kavorn
