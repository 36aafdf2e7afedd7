// SPDX-License-Identifier: MIT
// Camera device.
#include "device/CameraDevice.h"

#include "device/CameraDeviceSource.h"
#include "platform/log/StandardOutput.h"
#include "shared/Brand.h"

namespace kavorn {

std::shared_ptr<CameraDevice> CameraDevice::create() {
    std::shared_ptr<CameraDevice> device(new CameraDevice());
    device->finishConstruction();
    return device;
}

CameraDevice::CameraDevice()
    : stream_(CameraStream::create()),
      sinkStream_(CameraSinkStream::create()),
      deviceID_(UUID::random()) {}

void CameraDevice::finishConstruction() {
    deviceSource_ = std::make_shared<CameraDeviceSource>(weak_from_this());
    extensionDevice_ = std::make_unique<CMIOExtensionDevice>(Brand::cameraName, deviceID_,
                                                             std::nullopt, deviceSource_);
    stream_->setDevice(weak_from_this());
    sinkStream_->setOnBuffer([weak = weak_from_this()](const CMSampleBufferRef& sampleBuffer) {
        if (auto device = weak.lock()) {
            device->stream_->forwardSinkFrame(sampleBuffer);
        }
    });

    MaybeError error = extensionDevice_->addStream(stream_->extensionStream());
    if (!error) {
        error = extensionDevice_->addStream(sinkStream_->extensionStream());
    }
    if (error) {
        StandardOutput::writeLine("CameraDevice: Failed to add stream: " + error->description());
    } else {
        StandardOutput::writeLine("CameraDevice: Added source + sink streams to device");
    }
}

}  // namespace kavorn
