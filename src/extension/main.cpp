// SPDX-License-Identifier: MIT
// kavorn-camera-extension: publishes Quorvelle Camera.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "extension/CameraProviderSource.h"
#include "extension/ExtensionMain.h"
#include "platform/cmio/Host.h"
#include "platform/pipewire/PipeWireHost.h"
#include "shared/SharedConstants.h"

int main(int argc, char** argv) {
    if (argc > 1) {
        const bool help = std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0;
        std::fputs(
            "Usage: kavorn-camera-extension\n"
            "Publishes Quorvelle Camera on PipeWire and runs until it is stopped.\n"
            "Takes no arguments; PIPEWIRE_REMOTE and XDG_RUNTIME_DIR choose the daemon.\n",
            help ? stdout : stderr);
        return help ? 0 : 2;
    }
    // The host that carries the camera.
    static kavorn::PipeWireHost host(
        kavorn::PipeWireHost::Options{kavorn::kLogSubsystem, "quorvelle.camera", "quorvelle.sink"});
    std::string error;
    if (!host.connect(error)) {
        const char* remote = std::getenv("PIPEWIRE_REMOTE");
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        std::fprintf(stderr,
                     "kavorn-camera-extension: cannot reach the PipeWire daemon: %s\n"
                     "  (socket %s in %s; is PipeWire running?)\n",
                     error.c_str(), remote ? remote : "pipewire-0",
                     runtime ? runtime : "XDG_RUNTIME_DIR, which is not set");
        return 1;
    }
    kavorn::Host::install(host);

    static kavorn::ExtensionProcess process;
    return kavorn::extensionMain(process);
}
