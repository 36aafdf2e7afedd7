// SPDX-License-Identifier: MIT
// The property values of a device. Every member may be absent.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kavorn {

struct CMIOExtensionDeviceProperties {
    std::optional<std::string> model;
    // A four-character code, such as 'virt'.
    std::optional<std::uint32_t> transportType;

    bool isEmpty() const { return *this == CMIOExtensionDeviceProperties{}; }

    friend bool operator==(const CMIOExtensionDeviceProperties&,
                           const CMIOExtensionDeviceProperties&) = default;
};

}  // namespace kavorn
