// SPDX-License-Identifier: MIT
// Whole-file writes that readers see entirely or not at all, and bounded whole-file reads.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kavorn {

// Writes a temporary file beside `path`, flushes it to disk and renames it over `path`, so a
// reader sees the old content or the new, whole. The file gets mode 0600. False, with the old
// file untouched, when any step fails. Any thread.
bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// The whole file, or none when it cannot be read or is larger than `maxBytes`.
std::optional<std::string> readWholeFile(const std::filesystem::path& path, std::size_t maxBytes);

}  // namespace kavorn
