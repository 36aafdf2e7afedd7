// SPDX-License-Identifier: MIT
// The host's provider object: the top object, carrying the devices.
#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include "platform/cmio/CMIOExtensionDevice.h"
#include "platform/cmio/CMIOExtensionProviderSource.h"

namespace kavorn {

class DispatchQueue;

// Owned by the logic (shared: the device points back to it weakly); holds its source weakly.
// Devices added to it are borrowed from their owners.
class CMIOExtensionProvider {
public:
    // With a client queue, the host calls the source on that queue; without one, on threads
    // of its own choosing.
    CMIOExtensionProvider(std::weak_ptr<CMIOExtensionProviderSource> source,
                          std::shared_ptr<DispatchQueue> clientQueue);
    ~CMIOExtensionProvider();
    CMIOExtensionProvider(const CMIOExtensionProvider&) = delete;
    CMIOExtensionProvider& operator=(const CMIOExtensionProvider&) = delete;

    std::shared_ptr<CMIOExtensionProviderSource> source() const { return source_.lock(); }
    const std::shared_ptr<DispatchQueue>& clientQueue() const { return clientQueue_; }

    MaybeError addDevice(CMIOExtensionDevice& device);
    std::vector<CMIOExtensionDevice*> devices() const;

    // Publishes the provider; called once, after its device is added.
    static void startService(CMIOExtensionProvider& provider);

private:
    const std::weak_ptr<CMIOExtensionProviderSource> source_;
    const std::shared_ptr<DispatchQueue> clientQueue_;
    mutable std::mutex mutex_;
    std::vector<CMIOExtensionDevice*> devices_;
};

}  // namespace kavorn
