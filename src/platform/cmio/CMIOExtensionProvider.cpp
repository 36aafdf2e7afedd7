// SPDX-License-Identifier: MIT
// Host provider object.
#include "platform/cmio/CMIOExtensionProvider.h"

#include "platform/cmio/Host.h"

namespace kavorn {

CMIOExtensionProvider::CMIOExtensionProvider(std::weak_ptr<CMIOExtensionProviderSource> source,
                                             std::shared_ptr<DispatchQueue> clientQueue)
    : source_(std::move(source)), clientQueue_(std::move(clientQueue)) {}

CMIOExtensionProvider::~CMIOExtensionProvider() {
    Host::current().providerDestroyed(*this);
}

MaybeError CMIOExtensionProvider::addDevice(CMIOExtensionDevice& device) {
    if (MaybeError error = Host::current().addDevice(*this, device)) {
        return error;
    }
    std::lock_guard lock(mutex_);
    devices_.push_back(&device);
    return std::nullopt;
}

std::vector<CMIOExtensionDevice*> CMIOExtensionProvider::devices() const {
    std::lock_guard lock(mutex_);
    return devices_;
}

void CMIOExtensionProvider::startService(CMIOExtensionProvider& provider) {
    Host::current().startService(provider);
}

}  // namespace kavorn
