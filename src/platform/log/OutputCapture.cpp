// SPDX-License-Identifier: MIT
// Output capture for tests.
#include "platform/log/OutputCapture.h"

#include <atomic>

namespace kavorn {

namespace {
std::atomic<OutputCapture*> installed{nullptr};
}  // namespace

OutputCapture::OutputCapture() {
    installed.store(this, std::memory_order_release);
}

OutputCapture::~OutputCapture() {
    installed.store(nullptr, std::memory_order_release);
}

OutputCapture* OutputCapture::current() {
    return installed.load(std::memory_order_acquire);
}

std::vector<OutputRecord> OutputCapture::records() const {
    std::lock_guard lock(mutex_);
    return records_;
}

std::vector<std::string> OutputCapture::lines() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> lines;
    for (const auto& record : records_) {
        if (record.channel == OutputChannel::StandardOutput) {
            lines.push_back(record.text);
        }
    }
    return lines;
}

std::vector<std::string> OutputCapture::logMessages(std::string_view category) const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> messages;
    for (const auto& record : records_) {
        if (record.channel == OutputChannel::Log &&
            (category.empty() || record.category == category)) {
            messages.push_back(record.text);
        }
    }
    return messages;
}

void OutputCapture::clear() {
    std::lock_guard lock(mutex_);
    records_.clear();
}

void OutputCapture::append(OutputRecord record) {
    std::lock_guard lock(mutex_);
    records_.push_back(std::move(record));
}

}  // namespace kavorn
