// SPDX-License-Identifier: MIT
// A private XDG data and configuration home for one test.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace kavorn::test {

// Points XDG_DATA_HOME and XDG_CONFIG_HOME into a fresh temporary directory while it exists,
// then puts them back and removes the directory. Make it before any thread that reads them.
class TemporaryHome {
public:
    TemporaryHome();
    ~TemporaryHome();
    TemporaryHome(const TemporaryHome&) = delete;
    TemporaryHome& operator=(const TemporaryHome&) = delete;

    const std::filesystem::path& root() const { return root_; }
    std::filesystem::path dataHome() const { return root_ / "data"; }
    std::filesystem::path configHome() const { return root_ / "config"; }
    // Where the extension writes its consumer report.
    std::filesystem::path reportPath() const;

private:
    std::filesystem::path root_;
    std::optional<std::string> savedData_;
    std::optional<std::string> savedConfig_;
};

}  // namespace kavorn::test
