// SPDX-License-Identifier: MIT
// Where an application group keeps its shared files and its shared defaults.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace kavorn {

// $XDG_DATA_HOME/<group>/ (XDG_DATA_HOME defaults to $HOME/.local/share), made with mode 0700
// when missing. None without a home, or when the directory cannot be made. Any thread.
std::optional<std::filesystem::path> containerURLForSecurityApplicationGroupIdentifier(
    std::string_view groupIdentifier);

// $XDG_CONFIG_HOME/<group>/ (XDG_CONFIG_HOME defaults to $HOME/.config), made likewise.
std::optional<std::filesystem::path> configurationDirectoryForGroup(
    std::string_view groupIdentifier);

}  // namespace kavorn
