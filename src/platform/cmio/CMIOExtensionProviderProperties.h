// SPDX-License-Identifier: MIT
// The property values of a provider. Every member may be absent.
#pragma once

#include <optional>
#include <string>

namespace kavorn {

struct CMIOExtensionProviderProperties {
    std::optional<std::string> name;
    std::optional<std::string> manufacturer;

    bool isEmpty() const { return *this == CMIOExtensionProviderProperties{}; }

    friend bool operator==(const CMIOExtensionProviderProperties&,
                           const CMIOExtensionProviderProperties&) = default;
};

}  // namespace kavorn
