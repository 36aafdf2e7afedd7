// SPDX-License-Identifier: MIT
// The backend that carries the host object model: in-process (loopback) or PipeWire.
#pragma once

#include <cstdint>

#include "platform/cmio/CMIOExtensionDevice.h"
#include "platform/cmio/CMIOExtensionProvider.h"
#include "platform/cmio/CMIOExtensionStream.h"

namespace kavorn {

// One host serves the process; it is installed once at start-up, before any host object is
// made, and stays until the process ends (tests install one per test with ScopedHost).
// Without an installed host, every operation is dropped and every registration refused.
//
// Operations are called from any thread; each host says which thread it calls back on.
// Host objects tell their host when they are destroyed, so that it forgets them.
class Host {
public:
    virtual ~Host() = default;

    virtual MaybeError addDevice(CMIOExtensionProvider& provider, CMIOExtensionDevice& device) = 0;
    virtual MaybeError addStream(CMIOExtensionDevice& device, CMIOExtensionStream& stream) = 0;
    virtual void startService(CMIOExtensionProvider& provider) = 0;

    virtual void sendSampleBuffer(const CMIOExtensionStream& stream,
                                  const CMSampleBufferRef& sampleBuffer,
                                  CMIOExtensionStreamDiscontinuityFlags discontinuity,
                                  std::uint64_t hostTimeInNanoseconds) = 0;
    virtual void consumeSampleBuffer(const CMIOExtensionStream& stream,
                                     const CMIOExtensionClientRef& client,
                                     CMIOExtensionConsumeCompletion completion) = 0;
    virtual void notifyScheduledOutputChanged(const CMIOExtensionStream& stream,
                                              const CMIOExtensionScheduledOutput& output) = 0;

    virtual void providerDestroyed(const CMIOExtensionProvider& /*provider*/) {}
    virtual void deviceDestroyed(const CMIOExtensionDevice& /*device*/) {}
    virtual void streamDestroyed(const CMIOExtensionStream& /*stream*/) {}

    static Host& current();
    // Installs the process's host for good.
    static void install(Host& host);
};

// Installs a host for the lifetime of this object (tests).
class ScopedHost {
public:
    explicit ScopedHost(Host& host);
    ~ScopedHost();
    ScopedHost(const ScopedHost&) = delete;
    ScopedHost& operator=(const ScopedHost&) = delete;

private:
    Host* previous_;
};

}  // namespace kavorn
