// SPDX-License-Identifier: MIT
// What a provider's source answers when the host calls in.
#pragma once

#include "platform/cmio/CMIOExtensionClient.h"
#include "platform/cmio/CMIOExtensionProperty.h"
#include "platform/cmio/CMIOExtensionProviderProperties.h"
#include "platform/cmio/NSError.h"

namespace kavorn {

// Implemented by the logic. The host calls these on the provider's client queue when one was
// given, otherwise on threads of its own choosing.
class CMIOExtensionProviderSource {
public:
    virtual ~CMIOExtensionProviderSource() = default;

    virtual MaybeError connectClient(const CMIOExtensionClientRef& client) = 0;
    virtual void disconnectClient(const CMIOExtensionClientRef& client) = 0;
    virtual CMIOExtensionPropertySet availableProperties() = 0;
    virtual CMIOExtensionProviderProperties providerPropertiesForProperties(
        const CMIOExtensionPropertySet& properties) = 0;
    virtual MaybeError setProviderProperties(const CMIOExtensionProviderProperties& properties) = 0;
};

}  // namespace kavorn
