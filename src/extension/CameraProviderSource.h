// SPDX-License-Identifier: MIT
// The provider as the process owns it: the host provider, the device and the delegate.
#pragma once

#include <memory>

#include "platform/cmio/CMIOExtensionProvider.h"

namespace kavorn {

class CameraDevice;
class CameraProviderSourceDelegate;
class DispatchQueue;

// Made once, on the main thread, and kept for the life of the process. Construction builds the
// device with both streams; adding the device and starting the service are the entry's.
class CameraProviderSource {
public:
    // Without a client queue the host calls the delegate on threads of its own choosing.
    explicit CameraProviderSource(std::shared_ptr<DispatchQueue> clientQueue);
    ~CameraProviderSource();
    CameraProviderSource(const CameraProviderSource&) = delete;
    CameraProviderSource& operator=(const CameraProviderSource&) = delete;

    CMIOExtensionProvider& provider() const { return *provider_; }
    const std::shared_ptr<CameraDevice>& device() const { return device_; }
    const std::shared_ptr<CameraProviderSourceDelegate>& sourceDelegate() const {
        return sourceDelegate_;
    }

private:
    std::shared_ptr<CMIOExtensionProvider> provider_;
    std::shared_ptr<CameraDevice> device_;
    std::shared_ptr<CameraProviderSourceDelegate> sourceDelegate_;
};

}  // namespace kavorn
