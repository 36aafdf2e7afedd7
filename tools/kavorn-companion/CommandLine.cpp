// SPDX-License-Identifier: MIT
// Argument helpers.
#include "CommandLine.h"

#include <signal.h>
#include <time.h>

#include <atomic>
#include <charconv>
#include <cstdio>

namespace kavorn::companion {

namespace {

constexpr std::int64_t kMaxSide = 16384;
}  // namespace

std::optional<FrameSize> parseFrameSize(std::string_view text) {
    const std::size_t cross = text.find('x');
    if (cross == std::string_view::npos) {
        return std::nullopt;
    }
    auto width = parseNumber(text.substr(0, cross), 1, kMaxSide);
    auto height = parseNumber(text.substr(cross + 1), 1, kMaxSide);
    if (!width || !height) {
        return std::nullopt;
    }
    return FrameSize{*width, *height};
}

int usageError(const std::string& message) {
    std::fprintf(stderr,
                 "kavorn-companion: %s\nTry 'kavorn-companion --help' for more information.\n",
                 message.c_str());
    return kExitUsage;
}

namespace {
std::atomic<bool> interruptFlag{false};
void onInterrupt(int) {
    interruptFlag = true;
}
}  // namespace

void catchInterrupts() {
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool interrupted() {
    return interruptFlag.load();
}

void pause(std::chrono::nanoseconds duration) {
    if (duration.count() <= 0) {
        return;
    }
    timespec span{static_cast<time_t>(duration.count() / 1'000'000'000),
                  static_cast<long>(duration.count() % 1'000'000'000)};
    nanosleep(&span, nullptr);  // a signal ends it early, which is what we want
}

std::optional<std::int64_t> parseNumber(std::string_view text, std::int64_t low,
                                        std::int64_t high) {
    std::int64_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size() || value < low ||
        value > high) {
        return std::nullopt;
    }
    return value;
}

int failure(const std::string& message) {
    std::fprintf(stderr, "kavorn-companion: %s\n", message.c_str());
    return kExitFailure;
}

}  // namespace kavorn::companion
