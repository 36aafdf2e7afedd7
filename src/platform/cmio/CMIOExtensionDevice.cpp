// SPDX-License-Identifier: MIT
// Host device object.
#include "platform/cmio/CMIOExtensionDevice.h"

#include "platform/cmio/Host.h"

namespace kavorn {

CMIOExtensionDevice::CMIOExtensionDevice(std::string localizedName, UUID deviceID,
                                         std::optional<std::string> legacyDeviceID,
                                         std::weak_ptr<CMIOExtensionDeviceSource> source)
    : localizedName_(std::move(localizedName)),
      deviceID_(deviceID),
      legacyDeviceID_(std::move(legacyDeviceID)),
      source_(std::move(source)) {}

CMIOExtensionDevice::~CMIOExtensionDevice() {
    Host::current().deviceDestroyed(*this);
}

MaybeError CMIOExtensionDevice::addStream(CMIOExtensionStream& stream) {
    if (MaybeError error = Host::current().addStream(*this, stream)) {
        return error;
    }
    std::lock_guard lock(mutex_);
    streams_.push_back(&stream);
    return std::nullopt;
}

std::vector<CMIOExtensionStream*> CMIOExtensionDevice::streams() const {
    std::lock_guard lock(mutex_);
    return streams_;
}

}  // namespace kavorn
