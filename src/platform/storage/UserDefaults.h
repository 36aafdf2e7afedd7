// SPDX-License-Identifier: MIT
// A defaults suite shared between processes: typed values under string keys in a JSON file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

namespace kavorn {

// The suite lives in $XDG_CONFIG_HOME/<suite>/defaults.json, one JSON object. Every read reads
// the file again, so another process's writes are seen at once. Every write takes an exclusive
// flock on defaults.json.lock, reads the file, changes the one key and replaces the file
// atomically, so concurrent writers in any process lose nothing. Any thread.
class UserDefaults {
public:
    // None when no configuration directory can be had for the suite.
    static std::optional<UserDefaults> open(std::string_view suiteName);

    // 0 when the key is missing or holds no number; a fractional number is truncated, one out
    // of range reads as 0.
    std::int64_t integerForKey(std::string_view key) const;
    // false when the key is missing or holds no boolean.
    bool boolForKey(std::string_view key) const;
    // False when the write failed; the file stays as it was.
    // The handle does not change; the suite does.
    bool setInteger(std::int64_t value, std::string_view key) const;
    bool setBool(bool value, std::string_view key) const;
    // Writes go to disk as they are made; there is never anything pending.
    bool synchronize() const { return true; }

    const std::filesystem::path& path() const { return file_; }

private:
    explicit UserDefaults(std::filesystem::path file) : file_(std::move(file)) {}
    template <class Value>
    bool set(std::string_view key, Value value) const;

    std::filesystem::path file_;
};

}  // namespace kavorn
