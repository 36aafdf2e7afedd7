// SPDX-License-Identifier: MIT
// The process entry: start-up, service start and the run loop.
#pragma once

#include <memory>

namespace kavorn {

class CameraProviderSource;

// What the process keeps for its whole life.
struct ExtensionProcess {
    std::unique_ptr<CameraProviderSource> providerSource;
};

// Runs on the main thread against the installed host: logs its start-up, builds the provider
// with its device, adds the device, starts the service and runs the run loop. Returns 0, and
// only if the run loop returns; nothing is torn down (the process keeps `process`).
int extensionMain(ExtensionProcess& process);

}  // namespace kavorn
