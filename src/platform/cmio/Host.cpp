// SPDX-License-Identifier: MIT
// The process's host.
#include "platform/cmio/Host.h"

#include <atomic>

namespace kavorn {

namespace {

class NullHost final : public Host {
public:
    void sendSampleBuffer(const CMIOExtensionStream&, const CMSampleBufferRef&,
                          CMIOExtensionStreamDiscontinuityFlags, std::uint64_t) override {}
};

NullHost nullHost;
std::atomic<Host*> installed{nullptr};

}  // namespace

Host& Host::current() {
    Host* host = installed.load(std::memory_order_acquire);
    return host != nullptr ? *host : nullHost;
}

void Host::install(Host& host) {
    installed.store(&host, std::memory_order_release);
}

ScopedHost::ScopedHost(Host& host)
    : previous_(installed.exchange(&host, std::memory_order_acq_rel)) {}

ScopedHost::~ScopedHost() {
    installed.store(previous_, std::memory_order_release);
}

}  // namespace kavorn
