// SPDX-License-Identifier: MIT
// Temporary XDG homes.
#include "support/TemporaryHome.h"

#include <stdlib.h>

#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "shared/SharedConstants.h"

namespace kavorn::test {

namespace {

std::optional<std::string> saved(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
}

void restore(const char* name, const std::optional<std::string>& value) {
    if (value) {
        ::setenv(name, value->c_str(), 1);
    } else {
        ::unsetenv(name);
    }
}

}  // namespace

TemporaryHome::TemporaryHome()
    : savedData_(saved("XDG_DATA_HOME")), savedConfig_(saved("XDG_CONFIG_HOME")) {
    std::string pattern = (std::filesystem::temp_directory_path() / "kavorn-test-XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (::mkdtemp(name.data()) == nullptr) {
        throw std::runtime_error("cannot make a temporary directory");
    }
    root_ = name.data();
    ::setenv("XDG_DATA_HOME", dataHome().c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", configHome().c_str(), 1);
}

TemporaryHome::~TemporaryHome() {
    restore("XDG_DATA_HOME", savedData_);
    restore("XDG_CONFIG_HOME", savedConfig_);
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

std::filesystem::path TemporaryHome::reportPath() const {
    return dataHome() / SharedConstants::appGroupIdentifier / "consumer.json";
}

}  // namespace kavorn::test
