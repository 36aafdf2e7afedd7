// SPDX-License-Identifier: MIT
// What the camera device answers the host: its model and transport type.
#pragma once

#include <functional>
#include <memory>

#include "platform/cmio/CMIOExtensionDeviceSource.h"
#include "platform/cmio/CMIOExtensionStream.h"

namespace kavorn {

class CameraDevice;

// Owned by its device, which it points back to weakly. Keeps no mutable state; the host calls
// in on threads of its choosing.
class CameraDeviceSource final : public CMIOExtensionDeviceSource {
public:
    static constexpr std::uint32_t kTransportTypeVirtual = 0x76697274;  // 'virt'
    static constexpr const char* kModel = "Quorvelle Virtual Camera";

    explicit CameraDeviceSource(std::weak_ptr<CameraDevice> device) : device_(std::move(device)) {}

    CMIOExtensionPropertySet availableProperties() override;
    CMIOExtensionDeviceProperties devicePropertiesForProperties(
        const CMIOExtensionPropertySet& properties) override;
    // Accepted and ignored.
    MaybeError setDeviceProperties(const CMIOExtensionDeviceProperties& properties) override;

    // Empty; kept for hosts that report streams coming and going.
    std::function<void(CMIOExtensionStream&)> streamWasAddedHandler;
    std::function<void(CMIOExtensionStream&)> streamWasRemovedHandler;

private:
    std::weak_ptr<CameraDevice> device_;
};

}  // namespace kavorn
