// SPDX-License-Identifier: MIT
// Process entry.
#include "extension/ExtensionMain.h"

#include "device/CameraDevice.h"
#include "extension/CameraProviderSource.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/log/Logger.h"
#include "shared/SharedConstants.h"

namespace kavorn {

int extensionMain(ExtensionProcess& process) {
    const Logger logger(kLogSubsystem, "main");
    logger.log("KavornCameraExtension: Starting...");

    process.providerSource = std::make_unique<CameraProviderSource>(nullptr);
    CameraProviderSource& providerSource = *process.providerSource;
    logger.log("KavornCameraExtension: Created provider source");

    if (MaybeError error =
            providerSource.provider().addDevice(providerSource.device()->extensionDevice())) {
        logger.error("KavornCameraExtension: Failed to add device: " +
                     error->localizedDescription());
    } else {
        logger.log("KavornCameraExtension: Added device to provider");
    }

    // The service starts even without a registered device.
    logger.log("KavornCameraExtension: Starting service...");
    CMIOExtensionProvider::startService(providerSource.provider());

    CFRunLoopRun();
    logger.error("KavornCameraExtension: run loop exited unexpectedly");
    return 0;
}

}  // namespace kavorn
