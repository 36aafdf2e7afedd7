// SPDX-License-Identifier: MIT
// kavorn-camera-extension: publishes Quorvelle Camera.
#include <cstdio>
#include <cstring>

#include "extension/CameraProviderSource.h"
#include "extension/ExtensionMain.h"
#include "platform/cmio/Host.h"
#include "platform/loopback/LoopbackHost.h"

int main(int argc, char** argv) {
    if (argc > 1) {
        const bool help = std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0;
        std::fputs(
            "Usage: kavorn-camera-extension\n"
            "Publishes Quorvelle Camera and runs until it is stopped. Takes no arguments.\n",
            help ? stdout : stderr);
        return help ? 0 : 2;
    }
    // The host that carries the camera: the one line to change to publish it elsewhere.
    static kavorn::LoopbackHost host;
    kavorn::Host::install(host);

    static kavorn::ExtensionProcess process;
    return kavorn::extensionMain(process);
}
