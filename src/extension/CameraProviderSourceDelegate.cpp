// SPDX-License-Identifier: MIT
// Provider source delegate.
#include "extension/CameraProviderSourceDelegate.h"

#include "device/CameraDevice.h"
#include "platform/log/StandardOutput.h"
#include "shared/Brand.h"

namespace kavorn {

MaybeError CameraProviderSourceDelegate::connectClient(const CMIOExtensionClientRef& /*client*/) {
    StandardOutput::writeLine("CameraProvider: Client connected");
    return std::nullopt;
}

void CameraProviderSourceDelegate::disconnectClient(const CMIOExtensionClientRef& client) {
    StandardOutput::writeLine("CameraProvider: Client disconnected");
    // The output stream forgets the client on its own queue; nothing waits for that.
    device_->stream()->clientDisconnected(client);
}

CMIOExtensionPropertySet CameraProviderSourceDelegate::availableProperties() {
    return {CMIOExtensionProperty::ProviderManufacturer, CMIOExtensionProperty::ProviderName};
}

CMIOExtensionProviderProperties CameraProviderSourceDelegate::providerPropertiesForProperties(
    const CMIOExtensionPropertySet& properties) {
    CMIOExtensionProviderProperties answer;
    if (properties.contains(CMIOExtensionProperty::ProviderManufacturer)) {
        answer.manufacturer = Brand::name;
    }
    if (properties.contains(CMIOExtensionProperty::ProviderName)) {
        answer.name = kProviderName;
    }
    return answer;
}

MaybeError CameraProviderSourceDelegate::setProviderProperties(
    const CMIOExtensionProviderProperties&) {
    return std::nullopt;
}

}  // namespace kavorn
