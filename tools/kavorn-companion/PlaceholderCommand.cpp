// SPDX-License-Identifier: MIT
// Writes the placeholder picture as PNG or raw BGRA.
#include "PlaceholderCommand.h"

#include <cstdio>
#include <string>
#include <string_view>

#include "CommandLine.h"
#include "PictureFile.h"
#include "stream/PlaceholderRenderer.h"

namespace kavorn::companion {

const char* const kPlaceholderUsage =
    "Usage: kavorn-companion placeholder [--size WxH] [--raw] -o FILE\n"
    "Write the picture the camera shows while no frames come in.\n"
    "\n"
    "  -o, --output FILE  where to write it\n"
    "      --size WxH     picture size in pixels (default 1920x1080, each side 1 to 16384)\n"
    "      --raw          raw BGRA instead of PNG: rows top first, 4*W bytes each, no padding\n"
    "  -h, --help         show this help\n";

int runPlaceholderCommand(int argc, char** argv) {
    FrameSize size{1920, 1080};
    bool raw = false;
    std::string output;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        auto value = [&](std::string_view name) -> const char* {
            if (i + 1 >= argc) {
                return nullptr;
            }
            (void)name;
            return argv[++i];
        };
        if (arg == "-h" || arg == "--help") {
            std::fputs(kPlaceholderUsage, stdout);
            return kExitSuccess;
        } else if (arg == "--raw") {
            raw = true;
        } else if (arg == "--size" || arg.starts_with("--size=")) {
            const char* text = arg == "--size" ? value(arg) : argv[i] + 7;
            if (text == nullptr) {
                return usageError("option '--size' needs a value, such as 1920x1080");
            }
            auto parsed = parseFrameSize(text);
            if (!parsed) {
                return usageError(std::string("invalid size '") + text +
                                  "': expected WIDTHxHEIGHT, such as 1920x1080, each side 1 to "
                                  "16384");
            }
            size = *parsed;
        } else if (arg == "-o" || arg == "--output" || arg.starts_with("--output=")) {
            const char* text = arg.starts_with("--output=") ? argv[i] + 9 : value(arg);
            if (text == nullptr || *text == '\0') {
                return usageError("option '" + std::string(arg.substr(0, arg.find('='))) +
                                  "' needs a file name");
            }
            output = text;
        } else {
            return usageError("placeholder: unknown argument '" + std::string(arg) + "'");
        }
    }
    if (output.empty()) {
        return usageError("placeholder: no output file given (use -o FILE)");
    }

    CVPixelBufferRef picture = makePlaceholderPixelBuffer(size.width, size.height);
    if (!picture) {
        return failure("could not make a " + std::to_string(size.width) + "x" +
                       std::to_string(size.height) + " picture");
    }
    std::string error;
    const bool written = writePicture(picture, output, raw, error);
    if (!written) {
        return failure("cannot write '" + output + "': " + error);
    }
    return kExitSuccess;
}

}  // namespace kavorn::companion
