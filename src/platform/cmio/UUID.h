// SPDX-License-Identifier: MIT
// 128-bit universally unique identifiers.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace kavorn {

class UUID {
public:
    // The nil identifier (all zero).
    UUID() = default;
    explicit UUID(const std::array<std::uint8_t, 16>& bytes) : bytes_(bytes) {}

    // A fresh random (version 4) identifier from the kernel's random source.
    static UUID random();

    const std::array<std::uint8_t, 16>& bytes() const { return bytes_; }
    // Upper-case hexadecimal in 8-4-4-4-12 groups.
    std::string uuidString() const;

    friend auto operator<=>(const UUID&, const UUID&) = default;

private:
    std::array<std::uint8_t, 16> bytes_{};
};

}  // namespace kavorn
