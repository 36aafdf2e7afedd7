// SPDX-License-Identifier: MIT
// kavorn-companion: plays the companion app's part from the command line.
#include <cstdio>
#include <string_view>

#include "CommandLine.h"
#include "DefaultsCommand.h"
#include "FeedCommand.h"
#include "PlaceholderCommand.h"
#include "SnapshotCommand.h"
#include "StatusCommand.h"

namespace {

const char* const kUsage =
    "Usage: kavorn-companion COMMAND [OPTIONS]\n"
    "Companion-side tool for Quorvelle Camera.\n"
    "\n"
    "Commands:\n"
    "  placeholder [--size WxH] [--raw] -o FILE   write the camera's placeholder picture\n"
    "  status [--json] [--watch]                  whether the camera is in use, and by whom\n"
    "  feed [--pattern NAME] [--fps N] [--frames N]  write frames into Quorvelle Sink\n"
    "  snapshot [--frames N] [--raw] -o FILE      save a frame of Quorvelle Camera\n"
    "  defaults get|set KEY [VALUE]               the defaults shared with the companion app\n"
    "\n"
    "Run 'kavorn-companion COMMAND --help' for a command's options.\n"
    "Exit status: 0 success, 1 failure, 2 bad usage.\n";

}  // namespace

int main(int argc, char** argv) {
    using namespace kavorn::companion;
    if (argc < 2) {
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    std::string_view command = argv[1];
    if (command == "-h" || command == "--help" || command == "help") {
        std::fputs(kUsage, stdout);
        return kExitSuccess;
    }
    if (command == "placeholder") {
        return runPlaceholderCommand(argc - 1, argv + 1);
    }
    if (command == "status") {
        return runStatusCommand(argc - 1, argv + 1);
    }
    if (command == "feed") {
        return runFeedCommand(argc - 1, argv + 1);
    }
    if (command == "snapshot") {
        return runSnapshotCommand(argc - 1, argv + 1);
    }
    if (command == "defaults") {
        return runDefaultsCommand(argc - 1, argv + 1);
    }
    return usageError("unknown command '" + std::string(command) + "'");
}
