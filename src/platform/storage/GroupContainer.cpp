// SPDX-License-Identifier: MIT
// XDG base directories for an application group.
#include "platform/storage/GroupContainer.h"

#include <errno.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>

namespace kavorn {

namespace {

// An XDG variable counts only when it holds an absolute path.
std::optional<std::filesystem::path> baseDirectory(const char* variable, const char* fallback) {
    if (const char* value = std::getenv(variable); value != nullptr && value[0] == '/') {
        return std::filesystem::path(value);
    }
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
        return std::filesystem::path(home) / fallback;
    }
    return std::nullopt;
}

// Makes each missing directory of the path with mode 0700; true when it ends up a directory.
bool makeDirectories(const std::filesystem::path& path) {
    std::filesystem::path partial;
    for (const auto& part : path) {
        partial /= part;
        if (::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) {
            return false;
        }
    }
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

std::optional<std::filesystem::path> groupDirectory(const char* variable, const char* fallback,
                                                    std::string_view group) {
    // A group name that could leave the base directory is refused.
    if (group.empty() || group == "." || group == ".." ||
        group.find('/') != std::string_view::npos) {
        return std::nullopt;
    }
    auto base = baseDirectory(variable, fallback);
    if (!base) {
        return std::nullopt;
    }
    std::filesystem::path directory = *base / std::string(group);
    if (!makeDirectories(directory)) {
        return std::nullopt;
    }
    return directory;
}

}  // namespace

std::optional<std::filesystem::path> containerURLForSecurityApplicationGroupIdentifier(
    std::string_view groupIdentifier) {
    return groupDirectory("XDG_DATA_HOME", ".local/share", groupIdentifier);
}

std::optional<std::filesystem::path> configurationDirectoryForGroup(
    std::string_view groupIdentifier) {
    return groupDirectory("XDG_CONFIG_HOME", ".config", groupIdentifier);
}

}  // namespace kavorn
