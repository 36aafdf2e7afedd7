// SPDX-License-Identifier: MIT
// The host's device object: a named camera with its streams.
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/cmio/CMIOExtensionDeviceSource.h"
#include "platform/cmio/CMIOExtensionStream.h"
#include "platform/cmio/UUID.h"

namespace kavorn {

// Owned by the logic's device; holds its source weakly. Streams added to it are borrowed: their
// owners keep them for as long as the device exists.
class CMIOExtensionDevice {
public:
    CMIOExtensionDevice(std::string localizedName, UUID deviceID,
                        std::optional<std::string> legacyDeviceID,
                        std::weak_ptr<CMIOExtensionDeviceSource> source);
    ~CMIOExtensionDevice();
    CMIOExtensionDevice(const CMIOExtensionDevice&) = delete;
    CMIOExtensionDevice& operator=(const CMIOExtensionDevice&) = delete;

    const std::string& localizedName() const { return localizedName_; }
    const UUID& deviceID() const { return deviceID_; }
    const std::optional<std::string>& legacyDeviceID() const { return legacyDeviceID_; }
    std::shared_ptr<CMIOExtensionDeviceSource> source() const { return source_.lock(); }

    // Offers the stream to the host; on success the device lists it.
    MaybeError addStream(CMIOExtensionStream& stream);
    std::vector<CMIOExtensionStream*> streams() const;

private:
    const std::string localizedName_;
    const UUID deviceID_;
    const std::optional<std::string> legacyDeviceID_;
    const std::weak_ptr<CMIOExtensionDeviceSource> source_;
    mutable std::mutex mutex_;
    std::vector<CMIOExtensionStream*> streams_;
};

}  // namespace kavorn
