// SPDX-License-Identifier: MIT
// Shared defaults from the command line.
#include "DefaultsCommand.h"

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "CommandLine.h"
#include "shared/SharedConstants.h"
#include "shared/SharedState.h"

namespace kavorn::companion {

const char* const kDefaultsUsage =
    "Usage: kavorn-companion defaults get KEY\n"
    "       kavorn-companion defaults set KEY VALUE\n"
    "Read or write the defaults Quorvelle Camera shares with its companion app\n"
    "($XDG_CONFIG_HOME/<app group>/defaults.json).\n"
    "\n"
    "Keys: frameWidth, frameHeight (whole numbers), isStreaming (true or false).\n";

namespace {

enum class Key { FrameWidth, FrameHeight, IsStreaming };

std::optional<Key> parseKey(std::string_view text) {
    if (text == "frameWidth") {
        return Key::FrameWidth;
    }
    if (text == "frameHeight") {
        return Key::FrameHeight;
    }
    if (text == "isStreaming") {
        return Key::IsStreaming;
    }
    return std::nullopt;
}

}  // namespace

int runDefaultsCommand(int argc, char** argv) {
    if (argc >= 2 && (std::string_view(argv[1]) == "-h" || std::string_view(argv[1]) == "--help")) {
        std::fputs(kDefaultsUsage, stdout);
        return kExitSuccess;
    }
    if (argc < 3) {
        return usageError("defaults: expected 'get KEY' or 'set KEY VALUE'");
    }
    const std::string_view verb = argv[1];
    const auto key = parseKey(argv[2]);
    if (!key) {
        return usageError(std::string("defaults: unknown key '") + argv[2] +
                          "' (frameWidth, frameHeight or isStreaming)");
    }
    SharedState& state = SharedState::shared();

    if (verb == "get" && argc == 3) {
        switch (*key) {
            case Key::FrameWidth:
                std::printf("%lld\n", static_cast<long long>(state.frameWidth()));
                break;
            case Key::FrameHeight:
                std::printf("%lld\n", static_cast<long long>(state.frameHeight()));
                break;
            case Key::IsStreaming:
                std::printf("%s\n", state.isStreaming() ? "true" : "false");
                break;
        }
        return kExitSuccess;
    }
    if (verb != "set" || argc != 4) {
        return usageError("defaults: expected 'get KEY' or 'set KEY VALUE'");
    }
    const std::string_view value = argv[3];
    if (!state.defaults()) {
        return failure(
            "defaults: no configuration directory for the shared defaults (is HOME set?)");
    }
    bool written = false;
    if (*key == Key::IsStreaming) {
        if (value != "true" && value != "false") {
            return usageError("defaults: isStreaming takes true or false, not '" +
                              std::string(value) + "'");
        }
        written = state.defaults()->setBool(value == "true", SharedConstants::isStreamingKey);
    } else {
        auto number = parseNumber(value, INT64_MIN, INT64_MAX);
        if (!number) {
            return usageError("defaults: " + std::string(argv[2]) + " takes a whole number, not '" +
                              std::string(value) + "'");
        }
        written = state.defaults()->setInteger(*number, *key == Key::FrameWidth
                                                            ? SharedConstants::frameWidthKey
                                                            : SharedConstants::frameHeightKey);
    }
    if (!written) {
        return failure("defaults: cannot write " + state.defaults()->path().string());
    }
    return kExitSuccess;
}

}  // namespace kavorn::companion
