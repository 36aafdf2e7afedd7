// SPDX-License-Identifier: MIT
// What a stream's source answers when the host calls in.
#pragma once

#include <vector>

#include "platform/cmio/CMIOExtensionClient.h"
#include "platform/cmio/CMIOExtensionProperty.h"
#include "platform/cmio/CMIOExtensionStreamFormat.h"
#include "platform/cmio/CMIOExtensionStreamProperties.h"
#include "platform/cmio/NSError.h"

namespace kavorn {

// Implemented by the logic. The host calls these on threads of its own choosing, any of them
// at any time after the stream is added to its device.
class CMIOExtensionStreamSource {
public:
    virtual ~CMIOExtensionStreamSource() = default;

    virtual std::vector<CMIOExtensionStreamFormat> formats() = 0;
    virtual CMIOExtensionPropertySet availableProperties() = 0;
    // Only the requested keys that the source knows are filled in; the rest stay absent.
    virtual CMIOExtensionStreamProperties streamPropertiesForProperties(
        const CMIOExtensionPropertySet& properties) = 0;
    virtual MaybeError setStreamProperties(const CMIOExtensionStreamProperties& properties) = 0;
    virtual bool authorizedToStartStreamForClient(const CMIOExtensionClientRef& client) = 0;
    virtual MaybeError startStream() = 0;
    virtual MaybeError stopStream() = 0;
};

}  // namespace kavorn
