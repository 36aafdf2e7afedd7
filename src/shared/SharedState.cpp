// SPDX-License-Identifier: MIT
// Shared defaults and the consumer report file.
#include "shared/SharedState.h"

#include "platform/storage/AtomicFile.h"
#include "platform/storage/GroupContainer.h"
#include "shared/ConsumerReport.h"
#include "shared/SharedConstants.h"

namespace kavorn {

SharedState& SharedState::shared() {
    // Made once (static initialisation is thread-safe) and never destroyed, so that a late
    // publication during exit still finds it.
    static SharedState* const instance = new SharedState();
    return *instance;
}

SharedState::SharedState() : defaults_(UserDefaults::open(SharedConstants::appGroupIdentifier)) {}

std::int64_t SharedState::frameWidth() const {
    return defaults_ ? defaults_->integerForKey(SharedConstants::frameWidthKey) : 1920;
}

void SharedState::setFrameWidth(std::int64_t width) {
    if (defaults_) {
        defaults_->setInteger(width, SharedConstants::frameWidthKey);
    }
}

std::int64_t SharedState::frameHeight() const {
    return defaults_ ? defaults_->integerForKey(SharedConstants::frameHeightKey) : 1080;
}

void SharedState::setFrameHeight(std::int64_t height) {
    if (defaults_) {
        defaults_->setInteger(height, SharedConstants::frameHeightKey);
    }
}

bool SharedState::isStreaming() const {
    return defaults_ ? defaults_->boolForKey(SharedConstants::isStreamingKey) : false;
}

void SharedState::setIsStreaming(bool streaming) {
    if (defaults_) {
        defaults_->setBool(streaming, SharedConstants::isStreamingKey);
    }
}

void SharedState::synchronize() {
    if (defaults_) {
        defaults_->synchronize();
    }
}

std::optional<std::filesystem::path> SharedState::reportLocation() {
    auto container =
        containerURLForSecurityApplicationGroupIdentifier(SharedConstants::appGroupIdentifier);
    if (!container) {
        return std::nullopt;
    }
    return *container / "consumer.json";
}

void SharedState::publishConsumerReport(bool consumed, const std::vector<std::string>& clients) {
    auto location = reportLocation();
    if (!location) {
        return;
    }
    const ConsumerReport report{consumed, CFAbsoluteTimeGetCurrent(), clients};
    auto bytes = report.encoded();
    if (!bytes) {
        return;
    }
    writeFileAtomically(*location, *bytes);
}

ConsumerSnapshot SharedState::consumerSnapshot() const {
    auto location = reportLocation();
    if (!location) {
        return {};
    }
    auto bytes = readWholeFile(*location, kMaxReportBytes);
    if (!bytes) {
        return {};
    }
    auto report = ConsumerReport::decode(*bytes);
    if (!report) {
        return {};
    }
    const double age = CFAbsoluteTimeGetCurrent() - report->at;
    // A report from the future is fresh; one whose age is not a number is stale.
    if (!(age < kReportFreshness)) {
        return {false, {}};
    }
    if (!report->consumed) {
        return {false, {}};
    }
    return {true, report->clients.value_or(std::vector<std::string>{})};
}

}  // namespace kavorn
