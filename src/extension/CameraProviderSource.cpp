// SPDX-License-Identifier: MIT
// Provider source.
#include "extension/CameraProviderSource.h"

#include "device/CameraDevice.h"
#include "extension/CameraProviderSourceDelegate.h"

namespace kavorn {

CameraProviderSource::CameraProviderSource(std::shared_ptr<DispatchQueue> clientQueue)
    : device_(CameraDevice::create()),
      sourceDelegate_(std::make_shared<CameraProviderSourceDelegate>(device_)) {
    provider_ = std::make_shared<CMIOExtensionProvider>(sourceDelegate_, std::move(clientQueue));
    device_->setProvider(provider_);
}

CameraProviderSource::~CameraProviderSource() = default;

}  // namespace kavorn
