// SPDX-License-Identifier: MIT
// The process-wide time source and its test override.
#include "platform/dispatch/TimeSource.h"

#include <atomic>

#include "platform/dispatch/DispatchTime.h"
#include "platform/dispatch/RealTimeSource.h"

namespace kavorn {

namespace {
std::atomic<TimeSource*> installed{nullptr};
}  // namespace

TimeSource& TimeSource::current() {
    if (TimeSource* source = installed.load(std::memory_order_acquire)) {
        return *source;
    }
    return RealTimeSource::shared();
}

ScopedTimeSource::ScopedTimeSource(TimeSource& source)
    : previous_(installed.exchange(&source, std::memory_order_acq_rel)) {}

ScopedTimeSource::~ScopedTimeSource() {
    installed.store(previous_, std::memory_order_release);
}

DispatchTime DispatchTime::now() {
    return DispatchTime{TimeSource::current().now()};
}

}  // namespace kavorn
