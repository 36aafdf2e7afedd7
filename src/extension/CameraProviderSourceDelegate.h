// SPDX-License-Identifier: MIT
// What the provider answers the host: its name and manufacturer, and client connections.
#pragma once

#include <functional>
#include <memory>

#include "platform/cmio/CMIOExtensionDevice.h"
#include "platform/cmio/CMIOExtensionProviderSource.h"

namespace kavorn {

class CameraDevice;

// Holds the device strongly (the provider source holds it too). Keeps no other state; the host
// calls in on threads of its choosing, and every call succeeds.
class CameraProviderSourceDelegate final : public CMIOExtensionProviderSource {
public:
    static constexpr const char* kProviderName = "Quorvelle Camera Provider";

    explicit CameraProviderSourceDelegate(std::shared_ptr<CameraDevice> device)
        : device_(std::move(device)) {}

    // Every client is accepted, with one standard-output line.
    MaybeError connectClient(const CMIOExtensionClientRef& client) override;
    // One standard-output line; the client is handed on to the output stream.
    void disconnectClient(const CMIOExtensionClientRef& client) override;
    CMIOExtensionPropertySet availableProperties() override;
    CMIOExtensionProviderProperties providerPropertiesForProperties(
        const CMIOExtensionPropertySet& properties) override;
    // Accepted and ignored.
    MaybeError setProviderProperties(const CMIOExtensionProviderProperties& properties) override;

    const std::shared_ptr<CameraDevice>& device() const { return device_; }

    // Empty; kept for hosts that report a device going away.
    std::function<void(CMIOExtensionDevice&)> deviceWasRemovedHandler;

private:
    const std::shared_ptr<CameraDevice> device_;
};

}  // namespace kavorn
