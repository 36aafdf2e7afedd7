// SPDX-License-Identifier: MIT
// Device source.
#include "device/CameraDeviceSource.h"

namespace kavorn {

CMIOExtensionPropertySet CameraDeviceSource::availableProperties() {
    return {CMIOExtensionProperty::DeviceTransportType, CMIOExtensionProperty::DeviceModel};
}

CMIOExtensionDeviceProperties CameraDeviceSource::devicePropertiesForProperties(
    const CMIOExtensionPropertySet& properties) {
    CMIOExtensionDeviceProperties answer;
    if (properties.contains(CMIOExtensionProperty::DeviceTransportType)) {
        answer.transportType = kTransportTypeVirtual;
    }
    if (properties.contains(CMIOExtensionProperty::DeviceModel)) {
        answer.model = kModel;
    }
    return answer;
}

MaybeError CameraDeviceSource::setDeviceProperties(const CMIOExtensionDeviceProperties&) {
    return std::nullopt;
}

}  // namespace kavorn
