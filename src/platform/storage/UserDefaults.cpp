// SPDX-License-Identifier: MIT
// Shared defaults over a locked JSON file.
#include "platform/storage/UserDefaults.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cmath>
#include <string>

#include "platform/storage/AtomicFile.h"
#include "platform/storage/GroupContainer.h"
#include "platform/storage/JsonDocument.h"

namespace kavorn {

namespace {

constexpr std::size_t kMaxFileBytes = 1 << 20;

// Holds an exclusive flock on the suite's lock file. The data file itself cannot carry the lock:
// each write replaces it with a new file.
class SuiteLock {
public:
    explicit SuiteLock(const std::filesystem::path& dataFile) {
        const std::string lockPath = dataFile.string() + ".lock";
        fd_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ >= 0 && ::flock(fd_, LOCK_EX) != 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~SuiteLock() {
        if (fd_ >= 0) {
            ::close(fd_);  // releases the lock
        }
    }
    SuiteLock(const SuiteLock&) = delete;
    SuiteLock& operator=(const SuiteLock&) = delete;

    bool held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

std::optional<nlohmann::json> readValue(const std::filesystem::path& file, std::string_view key) {
    auto text = readWholeFile(file, kMaxFileBytes);
    if (!text) {
        return std::nullopt;
    }
    auto document = parseJsonObject(*text);
    if (!document) {
        return std::nullopt;
    }
    auto it = document->find(std::string(key));
    if (it == document->end()) {
        return std::nullopt;
    }
    return *it;
}

}  // namespace

std::optional<UserDefaults> UserDefaults::open(std::string_view suiteName) {
    auto directory = configurationDirectoryForGroup(suiteName);
    if (!directory) {
        return std::nullopt;
    }
    return UserDefaults(*directory / "defaults.json");
}

std::int64_t UserDefaults::integerForKey(std::string_view key) const {
    auto value = readValue(file_, key);
    if (!value) {
        return 0;
    }
    if (value->is_number_integer() &&
        !(value->is_number_unsigned() && value->get<std::uint64_t>() > INT64_MAX)) {
        return value->get<std::int64_t>();
    }
    if (value->is_number_float()) {
        const double number = value->get<double>();
        // -2^63 <= number < 2^63: the range a truncated double can take.
        if (std::isfinite(number) && number >= -9223372036854775808.0 &&
            number < 9223372036854775808.0) {
            return static_cast<std::int64_t>(number);
        }
    }
    return 0;
}

bool UserDefaults::boolForKey(std::string_view key) const {
    auto value = readValue(file_, key);
    return value && value->is_boolean() && value->get<bool>();
}

bool UserDefaults::setInteger(std::int64_t value, std::string_view key) const {
    return set(key, value);
}

bool UserDefaults::setBool(bool value, std::string_view key) const {
    return set(key, value);
}

template <class Value>
bool UserDefaults::set(std::string_view key, Value value) const {
    SuiteLock lock(file_);
    if (!lock.held()) {
        return false;
    }
    nlohmann::json document = nlohmann::json::object();
    if (auto text = readWholeFile(file_, kMaxFileBytes)) {
        if (auto parsed = parseJsonObject(*text)) {
            document = std::move(*parsed);
        } else if (!text->empty()) {
            // Keep what cannot be read rather than overwrite it.
            std::filesystem::path aside = file_;
            aside += ".unreadable";
            std::error_code ignored;
            std::filesystem::rename(file_, aside, ignored);
        }
    }
    document[std::string(key)] = value;
    return writeFileAtomically(file_, document.dump());
}

}  // namespace kavorn
