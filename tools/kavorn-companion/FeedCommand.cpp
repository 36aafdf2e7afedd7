// SPDX-License-Identifier: MIT
// Feeds frames into the camera's sink.
#include "FeedCommand.h"

#include <cstdio>
#include <string>
#include <string_view>

#include "CommandLine.h"
#include "FramePainter.h"
#include "platform/pipewire/PipeWireClient.h"
#include "platform/pipewire/VideoFeeder.h"

namespace kavorn::companion {

namespace {

const char* const kUsage =
    "Usage: kavorn-companion feed [--pattern NAME] [--fps N] [--frames N]\n"
    "Write 1920x1080 BGRA frames into Quorvelle Sink, as the companion app does, driving the\n"
    "link. Runs until N frames are sent (default: until interrupted).\n"
    "\n"
    "      --pattern NAME  bars (default), gradient, solid:RRGGBB, counter or stamp\n"
    "      --fps N         frames a second, 1 to 240 (default 30)\n"
    "      --frames N      stop after N frames\n"
    "      --target NODE   the node to feed (default quorvelle.sink)\n"
    "      --chunk-bytes N announce N bytes per frame instead of a whole frame (to test\n"
    "                      how a reader copes with broken frames)\n"
    "  -h, --help          show this help\n"
    "Progress goes to standard error. Exit status: 0 done, 1 failure, 2 bad usage.\n";

}  // namespace

int runFeedCommand(int argc, char** argv) {
    std::optional<FramePainter> painter = FramePainter::parse("bars");
    std::int64_t fps = 30;
    std::int64_t frames = 0;
    std::string target = "quorvelle.sink";
    std::optional<std::uint32_t> chunkBytes;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        auto next = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        if (arg == "-h" || arg == "--help") {
            std::fputs(kUsage, stdout);
            return kExitSuccess;
        } else if (arg == "--pattern") {
            const char* value = next();
            painter = value ? FramePainter::parse(value) : std::nullopt;
            if (!painter) {
                return usageError(
                    "feed: --pattern takes bars, gradient, solid:RRGGBB, counter or stamp");
            }
        } else if (arg == "--fps") {
            const char* value = next();
            auto number = value ? parseNumber(value, 1, 240) : std::nullopt;
            if (!number) {
                return usageError("feed: --fps takes a whole number from 1 to 240");
            }
            fps = *number;
        } else if (arg == "--frames") {
            const char* value = next();
            auto number = value ? parseNumber(value, 1, INT64_MAX) : std::nullopt;
            if (!number) {
                return usageError("feed: --frames takes a whole number from 1");
            }
            frames = *number;
        } else if (arg == "--chunk-bytes") {
            const char* value = next();
            auto number = value ? parseNumber(value, 0, 1'000'000'000) : std::nullopt;
            if (!number) {
                return usageError("feed: --chunk-bytes takes a whole number");
            }
            chunkBytes = static_cast<std::uint32_t>(*number);
        } else if (arg == "--target") {
            const char* value = next();
            if (!value || !*value) {
                return usageError("feed: --target needs a node name");
            }
            target = value;
        } else {
            return usageError("feed: unknown argument '" + std::string(arg) + "'");
        }
    }

    catchInterrupts();
    PipeWireClient client;
    std::string error;
    if (!client.connect("kavorn-companion", error)) {
        return failure("cannot reach the PipeWire daemon: " + error);
    }
    std::fprintf(stderr, "feed: waiting for %s...\n", target.c_str());
    if (client.waitForNode(target, std::chrono::seconds(10)) == SPA_ID_INVALID) {
        return failure("no node " + target + " within 10 s (is kavorn-camera-extension running?)");
    }
    VideoFeeder feeder(client, target);
    if (chunkBytes) {
        feeder.setChunkBytes(*chunkBytes);
    }
    if (!feeder.start(error)) {
        return failure(error);
    }
    const auto linkDeadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!feeder.isStreaming()) {
        if (interrupted()) {
            return kExitSuccess;
        }
        if (client.lost() || std::chrono::steady_clock::now() > linkDeadline) {
            return failure("could not link to " + target);
        }
        feeder.ensureLinked(std::chrono::seconds(1));
        pause(std::chrono::milliseconds(20));
    }
    std::fprintf(stderr, "feed: linked; sending 1920x1080 BGRA at %lld fps\n",
                 static_cast<long long>(fps));

    const auto period = std::chrono::nanoseconds(1'000'000'000 / fps);
    auto due = std::chrono::steady_clock::now();
    auto lastReport = due;
    std::uint64_t sent = 0;
    std::uint64_t skipped = 0;
    std::uint64_t reported = 0;
    while (!interrupted() && (frames == 0 || sent < static_cast<std::uint64_t>(frames))) {
        if (client.lost()) {
            return failure("the PipeWire daemon went away after " + std::to_string(sent) +
                           " frames");
        }
        if (feeder.sendFrame([&](std::uint8_t* data, std::uint32_t stride,
                                 std::uint64_t index) { painter->paint(data, stride, index); },
                             sent)) {
            ++sent;
        } else {
            ++skipped;
        }
        const auto now = std::chrono::steady_clock::now();
        if (now - lastReport >= std::chrono::seconds(1)) {
            const double seconds = std::chrono::duration<double>(now - lastReport).count();
            std::fprintf(stderr, "feed: %llu frames sent (%.1f fps), %llu skipped\n",
                         static_cast<unsigned long long>(sent),
                         static_cast<double>(sent - reported) / seconds,
                         static_cast<unsigned long long>(skipped));
            reported = sent;
            lastReport = now;
        }
        due += period;
        pause(due - std::chrono::steady_clock::now());
    }
    std::fprintf(stderr, "feed: done, %llu frames sent\n", static_cast<unsigned long long>(sent));
    return kExitSuccess;
}

}  // namespace kavorn::companion
