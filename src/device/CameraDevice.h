// SPDX-License-Identifier: MIT
// The one virtual camera: its host device, its two streams and the wire between them.
#pragma once

#include <memory>

#include "platform/cmio/CMIOExtensionDevice.h"
#include "platform/cmio/CMIOExtensionProvider.h"
#include "platform/cmio/UUID.h"
#include "sink/CameraSinkStream.h"
#include "stream/CameraStream.h"

namespace kavorn {

class CameraDeviceSource;

// Made once at start-up, on the main thread, and kept for the life of the process. Everything
// that points back at it (the output stream, the device source, the sink forwarding callback)
// does so weakly. After construction only the weak provider reference changes, once.
class CameraDevice : public std::enable_shared_from_this<CameraDevice> {
public:
    // Builds both streams and offers them to the host device, output stream first; writes one
    // standard-output line saying how that went. A refused stream does not fail construction.
    static std::shared_ptr<CameraDevice> create();
    CameraDevice(const CameraDevice&) = delete;
    CameraDevice& operator=(const CameraDevice&) = delete;

    CMIOExtensionDevice& extensionDevice() const { return *extensionDevice_; }
    const std::shared_ptr<CameraStream>& stream() const { return stream_; }
    const std::shared_ptr<CameraSinkStream>& sinkStream() const { return sinkStream_; }
    const std::shared_ptr<CameraDeviceSource>& deviceSource() const { return deviceSource_; }
    const UUID& deviceID() const { return deviceID_; }

    // Set once by the provider source, right after it made the provider.
    void setProvider(std::weak_ptr<CMIOExtensionProvider> provider) {
        provider_ = std::move(provider);
    }
    const std::weak_ptr<CMIOExtensionProvider>& provider() const { return provider_; }

private:
    CameraDevice();
    void finishConstruction();

    std::unique_ptr<CMIOExtensionDevice> extensionDevice_;
    std::shared_ptr<CameraStream> stream_;
    std::shared_ptr<CameraSinkStream> sinkStream_;
    std::weak_ptr<CMIOExtensionProvider> provider_;
    std::shared_ptr<CameraDeviceSource> deviceSource_;
    const UUID deviceID_;
};

}  // namespace kavorn
