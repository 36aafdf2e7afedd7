// SPDX-License-Identifier: MIT
// The process's host.
#include "platform/cmio/Host.h"

#include <atomic>

namespace kavorn {

namespace {

NSError noHost() {
    return NSError("com.vennardholtdigitalco.kavorn.host", 1, "No camera host is installed");
}

class NullHost final : public Host {
public:
    MaybeError addDevice(CMIOExtensionProvider&, CMIOExtensionDevice&) override { return noHost(); }
    MaybeError addStream(CMIOExtensionDevice&, CMIOExtensionStream&) override { return noHost(); }
    void startService(CMIOExtensionProvider&) override {}
    void sendSampleBuffer(const CMIOExtensionStream&, const CMSampleBufferRef&,
                          CMIOExtensionStreamDiscontinuityFlags, std::uint64_t) override {}
    void consumeSampleBuffer(const CMIOExtensionStream&, const CMIOExtensionClientRef&,
                             CMIOExtensionConsumeCompletion) override {}
    void notifyScheduledOutputChanged(const CMIOExtensionStream&,
                                      const CMIOExtensionScheduledOutput&) override {}
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
