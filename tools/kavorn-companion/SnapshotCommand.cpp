// SPDX-License-Identifier: MIT
// Saves the Nth frame of the camera.
#include "SnapshotCommand.h"

#include <time.h>

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>

#include "CommandLine.h"
#include "PictureFile.h"
#include "platform/media/CVPixelBuffer.h"
#include "platform/pipewire/PipeWireClient.h"
#include "platform/pipewire/VideoCapture.h"

namespace kavorn::companion {

namespace {

const char* const kUsage =
    "Usage: kavorn-companion snapshot [--frames N] [--timeout S] [--raw] -o FILE\n"
    "Read Quorvelle Camera as a video application would, and save frame N.\n"
    "\n"
    "  -o, --output FILE   where to save the frame (PNG, or raw BGRA with --raw)\n"
    "      --frames N      which frame to save, counting from 1 (default 1); with\n"
    "                      --print-frames, 0 reads until interrupted or timed out\n"
    "      --timeout S     give up after S seconds without that frame (default 5)\n"
    "      --raw           raw BGRA: rows top first, 4*W bytes each, no padding\n"
    "      --print-frames  print a line per frame: index, sequence, timestamp, first pixel,\n"
    "                      time of arrival and the first 8 bytes (see feed --pattern stamp)\n"
    "      --target NODE   the node to read (default quorvelle.camera)\n"
    "  -h, --help          show this help\n"
    "Exit status: 0 saved, 1 no frame in time or no PipeWire, 2 bad usage.\n";

struct Shared {
    std::mutex mutex;
    std::uint64_t received = 0;
    CVPixelBufferRef saved;
};

}  // namespace

int runSnapshotCommand(int argc, char** argv) {
    std::int64_t wanted = 1;
    double timeout = 5;
    bool raw = false;
    bool printFrames = false;
    std::string output;
    std::string target = "quorvelle.camera";
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        auto next = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        if (arg == "-h" || arg == "--help") {
            std::fputs(kUsage, stdout);
            return kExitSuccess;
        } else if (arg == "--raw") {
            raw = true;
        } else if (arg == "--print-frames") {
            printFrames = true;
        } else if (arg == "--frames") {
            const char* value = next();
            auto number = value ? parseNumber(value, 0, 1'000'000) : std::nullopt;
            if (!number) {
                return usageError("snapshot: --frames takes a whole number from 0");
            }
            wanted = *number;
        } else if (arg == "--timeout") {
            const char* value = next();
            char* end = nullptr;
            timeout = value ? std::strtod(value, &end) : -1;
            if (!value || *end != '\0' || !(timeout > 0) || timeout > 86400) {
                return usageError("snapshot: --timeout takes a number of seconds above 0");
            }
        } else if (arg == "-o" || arg == "--output") {
            const char* value = next();
            if (!value || !*value) {
                return usageError("snapshot: " + std::string(arg) + " needs a file name");
            }
            output = value;
        } else if (arg == "--target") {
            const char* value = next();
            if (!value || !*value) {
                return usageError("snapshot: --target needs a node name");
            }
            target = value;
        } else {
            return usageError("snapshot: unknown argument '" + std::string(arg) + "'");
        }
    }
    if (wanted == 0 && !printFrames) {
        return usageError("snapshot: --frames 0 only goes with --print-frames");
    }
    if (output.empty() && !printFrames) {
        return usageError("snapshot: no output file given (use -o FILE)");
    }

    catchInterrupts();
    PipeWireClient client;
    std::string error;
    if (!client.connect("kavorn-companion", error)) {
        return failure("cannot reach the PipeWire daemon: " + error);
    }
    Shared shared;
    VideoCapture capture(client, target, [&](const VideoFrameView& frame) {
        std::lock_guard lock(shared.mutex);
        const std::uint64_t index = ++shared.received;
        if (printFrames) {
            const std::uint8_t* p = frame.data;
            timespec now{};
            clock_gettime(CLOCK_MONOTONIC, &now);
            std::uint64_t stamp = 0;
            std::memcpy(&stamp, p, sizeof stamp);
            std::printf("frame %" PRIu64 " seq=%" PRIu64 " pts=%" PRId64
                        " pixel=%u,%u,%u recv=%" PRId64 " stamp=%" PRIu64 "\n",
                        index, frame.sequence, frame.pts, p[2], p[1], p[0],
                        static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec, stamp);
            std::fflush(stdout);
        }
        if (index != static_cast<std::uint64_t>(wanted) || output.empty() || shared.saved) {
            return;
        }
        auto copy = CVPixelBufferCreate(frame.width, frame.height, kCVPixelFormatType_32BGRA, {});
        if (!copy.succeeded()) {
            return;
        }
        CVPixelBufferLockBaseAddress(copy.object, 0);
        std::uint8_t* pixels = copy.object->baseAddress();
        for (std::uint32_t row = 0; row < frame.height; ++row) {
            std::memcpy(pixels + row * copy.object->bytesPerRow(), frame.data + row * frame.stride,
                        frame.width * 4);
        }
        CVPixelBufferUnlockBaseAddress(copy.object, 0);
        shared.saved = copy.object;
    });
    if (!capture.start(error)) {
        return failure(error);
    }

    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                              std::chrono::duration<double>(timeout));
    for (;;) {
        {
            std::lock_guard lock(shared.mutex);
            if (shared.saved || (wanted > 0 && output.empty() &&
                                 shared.received >= static_cast<std::uint64_t>(wanted))) {
                break;
            }
        }
        if (interrupted() || client.lost() || std::chrono::steady_clock::now() >= deadline) {
            if (wanted == 0 && !client.lost()) {
                return kExitSuccess;  // read until told to stop, as asked
            }
            std::lock_guard lock(shared.mutex);
            return failure("no frame " + std::to_string(wanted) + " from " + target + " within " +
                           std::to_string(static_cast<int>(timeout)) + " s (" +
                           std::to_string(shared.received) + " received)" +
                           (client.lost() ? "; the PipeWire daemon went away" : ""));
        }
        // No session manager may be running to link us: then link ourselves.
        capture.ensureLinked(std::chrono::seconds(1));
        pause(std::chrono::milliseconds(20));
    }
    if (!output.empty()) {
        if (!writePicture(shared.saved, output, raw, error)) {
            return failure("cannot write '" + output + "': " + error);
        }
    }
    return kExitSuccess;
}

}  // namespace kavorn::companion
