// SPDX-License-Identifier: MIT
// Test seam: collects what would go to standard output and to the log, in one ordered list.
#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace kavorn {

enum class OutputChannel { StandardOutput, Log };
enum class LogLevel { Default, Error };

struct OutputRecord {
    OutputChannel channel = OutputChannel::StandardOutput;
    LogLevel level = LogLevel::Default;  // log records only
    std::string subsystem;               // log records only
    std::string category;                // log records only
    std::string text;
};

// While one exists, standard-output lines and log records are collected here instead of
// written. One capture at a time; any thread may write into it.
class OutputCapture {
public:
    OutputCapture();
    ~OutputCapture();
    OutputCapture(const OutputCapture&) = delete;
    OutputCapture& operator=(const OutputCapture&) = delete;

    // Everything, in the order it was written.
    std::vector<OutputRecord> records() const;
    // Only the standard-output lines.
    std::vector<std::string> lines() const;
    // Only the log messages, optionally of one category.
    std::vector<std::string> logMessages(std::string_view category = {}) const;
    void clear();

    void append(OutputRecord record);
    // The installed capture, or none.
    static OutputCapture* current();

private:
    mutable std::mutex mutex_;
    std::vector<OutputRecord> records_;
};

}  // namespace kavorn
