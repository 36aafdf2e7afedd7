// SPDX-License-Identifier: MIT
// State shared with the companion app: the group's defaults and the consumer report file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/storage/UserDefaults.h"

namespace kavorn {

// What a reader of the consumer report learns: consumed (none when there is no answer) and by
// which applications.
struct ConsumerSnapshot {
    std::optional<bool> consumed;
    std::vector<std::string> clients;

    friend bool operator==(const ConsumerSnapshot&, const ConsumerSnapshot&) = default;
};

// The one instance is made on first use, once even when threads race for it, and lives until
// the process ends. It opens the group's defaults suite then, for good; without one, reads give
// 1920, 1080 and false and writes do nothing. Nothing here reports an error. Any thread.
class SharedState final {
public:
    static constexpr double kReportFreshness = 15.0;  // seconds
    static constexpr std::size_t kMaxReportBytes = 64 * 1024;

    static SharedState& shared();
    SharedState(const SharedState&) = delete;
    SharedState& operator=(const SharedState&) = delete;

    std::int64_t frameWidth() const;
    void setFrameWidth(std::int64_t width);
    std::int64_t frameHeight() const;
    void setFrameHeight(std::int64_t height);
    bool isStreaming() const;
    void setIsStreaming(bool streaming);
    void synchronize();
    const std::optional<UserDefaults>& defaults() const { return defaults_; }

    // Replaces consumer.json in the group's container with a report made now; writes nothing
    // when there is no container, and leaves the old file when the write fails.
    void publishConsumerReport(bool consumed, const std::vector<std::string>& clients);
    // The report as the companion reads it: (none, []) without a readable report; (false, [])
    // when it is 15 s old or older, or not consumed; else (true, its clients).
    ConsumerSnapshot consumerSnapshot() const;
    std::optional<bool> consumerState() const { return consumerSnapshot().consumed; }

    // Where consumer.json lives, or none without a container.
    static std::optional<std::filesystem::path> reportLocation();

private:
    SharedState();

    const std::optional<UserDefaults> defaults_;
};

}  // namespace kavorn
