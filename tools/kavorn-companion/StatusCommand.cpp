// SPDX-License-Identifier: MIT
// Prints the consumer snapshot, once or on every change.
#include "StatusCommand.h"

#include <cstdio>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "CommandLine.h"
#include "shared/SharedState.h"

namespace kavorn::companion {

const char* const kStatusUsage =
    "Usage: kavorn-companion status [--json] [--watch]\n"
    "Tell whether Quorvelle Camera is in use, and by which applications, from the consumer\n"
    "report the camera writes.\n"
    "\n"
    "      --json    one line: {\"consumed\":true|false|null,\"clients\":[...]}\n"
    "                (null: no readable report)\n"
    "      --watch   print again on every change, until interrupted\n"
    "  -h, --help    show this help\n";

namespace {

std::string describe(const ConsumerSnapshot& snapshot, bool json) {
    if (json) {
        nlohmann::ordered_json line;
        line["consumed"] = snapshot.consumed ? nlohmann::ordered_json(*snapshot.consumed)
                                             : nlohmann::ordered_json(nullptr);
        line["clients"] = snapshot.clients;
        return line.dump();
    }
    if (!snapshot.consumed) {
        return "Quorvelle Camera: no consumer report (is kavorn-camera-extension running?)";
    }
    if (!*snapshot.consumed) {
        return "Quorvelle Camera is not in use";
    }
    if (snapshot.clients.empty()) {
        return "Quorvelle Camera is in use";
    }
    std::string text = "Quorvelle Camera is in use by ";
    for (std::size_t i = 0; i < snapshot.clients.size(); ++i) {
        text += (i ? ", " : "") + snapshot.clients[i];
    }
    return text;
}

void print(const std::string& line) {
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

}  // namespace

int runStatusCommand(int argc, char** argv) {
    bool json = false;
    bool watch = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            std::fputs(kStatusUsage, stdout);
            return kExitSuccess;
        } else if (arg == "--json") {
            json = true;
        } else if (arg == "--watch") {
            watch = true;
        } else {
            return usageError("status: unknown argument '" + std::string(arg) + "'");
        }
    }

    ConsumerSnapshot shown = SharedState::shared().consumerSnapshot();
    print(describe(shown, json));
    if (!watch) {
        return kExitSuccess;
    }

    catchInterrupts();
    // Polling also catches a report going stale, which changes no file.
    while (!interrupted()) {
        pause(std::chrono::milliseconds(200));
        if (interrupted()) {
            break;
        }
        ConsumerSnapshot now = SharedState::shared().consumerSnapshot();
        if (now != shown) {
            shown = std::move(now);
            print(describe(shown, json));
        }
    }
    return kExitSuccess;
}

}  // namespace kavorn::companion
