// SPDX-License-Identifier: MIT
// The test patterns the feed command paints.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace kavorn::companion {

// One of: bars (moving colour bars), gradient (a drifting gradient), solid:RRGGBB, counter (the
// frame number, large, on a dark ground), stamp (mid grey, with the CLOCK_MONOTONIC time of
// painting in nanoseconds in the first 8 bytes, for latency measurements).
class FramePainter {
public:
    static std::optional<FramePainter> parse(std::string_view pattern);

    // Paints frame `index` of 1920x1080 BGRA, rows top first, `stride` bytes apart.
    void paint(std::uint8_t* data, std::uint32_t stride, std::uint64_t index) const;

private:
    enum class Kind { Bars, Gradient, Solid, Counter, Stamp };
    FramePainter(Kind kind, std::uint32_t rgb) : kind_(kind), rgb_(rgb) {}

    Kind kind_;
    std::uint32_t rgb_;
};

}  // namespace kavorn::companion
