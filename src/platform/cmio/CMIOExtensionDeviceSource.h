// SPDX-License-Identifier: MIT
// What a device's source answers when the host calls in.
#pragma once

#include "platform/cmio/CMIOExtensionDeviceProperties.h"
#include "platform/cmio/CMIOExtensionProperty.h"
#include "platform/cmio/NSError.h"

namespace kavorn {

// Implemented by the logic; called on threads of the host's choosing.
class CMIOExtensionDeviceSource {
public:
    virtual ~CMIOExtensionDeviceSource() = default;

    virtual CMIOExtensionPropertySet availableProperties() = 0;
    virtual CMIOExtensionDeviceProperties devicePropertiesForProperties(
        const CMIOExtensionPropertySet& properties) = 0;
    virtual MaybeError setDeviceProperties(const CMIOExtensionDeviceProperties& properties) = 0;
};

}  // namespace kavorn
