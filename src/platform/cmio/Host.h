// SPDX-License-Identifier: MIT
// The backend that carries the host object model: in-process (loopback) or PipeWire.
#pragma once

#include <cstdint>

#include "platform/cmio/CMIOExtensionStream.h"

namespace kavorn {

// One host serves the process; it is installed once at start-up, before any host object is
// made, and stays until the process ends (tests install one per test with ScopedHost).
// Without an installed host, every operation is dropped.
//
// Operations are called from any thread; each host says which thread it calls back on.
class Host {
public:
    virtual ~Host() = default;

    virtual void sendSampleBuffer(const CMIOExtensionStream& stream,
                                  const CMSampleBufferRef& sampleBuffer,
                                  CMIOExtensionStreamDiscontinuityFlags discontinuity,
                                  std::uint64_t hostTimeInNanoseconds) = 0;

    // A stream object is going away; the host must forget it.
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
