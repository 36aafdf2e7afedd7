// SPDX-License-Identifier: MIT
// Argument helpers shared by the companion's commands.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kavorn::companion {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

struct FrameSize {
    std::int64_t width = 0;
    std::int64_t height = 0;
};

// "WIDTHxHEIGHT" with each side a decimal number from 1 to 16384, nothing else around it.
std::optional<FrameSize> parseFrameSize(std::string_view text);

// Prints "kavorn-companion: <message>" and a hint to try --help, on standard error.
int usageError(const std::string& message);
// Prints "kavorn-companion: <message>" on standard error.
int failure(const std::string& message);

// From now on SIGINT and SIGTERM only set a flag, so that long-running commands end cleanly.
void catchInterrupts();
bool interrupted();
// Sleeps, returning early when interrupted.
void pause(std::chrono::nanoseconds duration);

// A whole number from `text`, within [low, high].
std::optional<std::int64_t> parseNumber(std::string_view text, std::int64_t low, std::int64_t high);

}  // namespace kavorn::companion
