// SPDX-License-Identifier: MIT
// Unified log over journald.
#include "platform/log/Logger.h"

#include <syslog.h>
#include <systemd/sd-journal.h>
#include <unistd.h>

#include "platform/log/OutputCapture.h"
#include "platform/log/StandardOutput.h"

namespace kavorn {

namespace {

bool journalAvailable() {
    static const bool available = ::access("/run/systemd/journal/socket", W_OK) == 0;
    return available;
}

}  // namespace

Logger::Logger(std::string subsystem, std::string category)
    : subsystem_(std::move(subsystem)), category_(std::move(category)) {}

void Logger::log(std::string_view message) const {
    write(LOG_NOTICE, message);
}

void Logger::error(std::string_view message) const {
    write(LOG_ERR, message);
}

void Logger::write(int level, std::string_view message) const {
    if (OutputCapture* capture = OutputCapture::current()) {
        capture->append(OutputRecord{OutputChannel::Log,
                                     level == LOG_ERR ? LogLevel::Error : LogLevel::Default,
                                     subsystem_, category_, std::string(message)});
        return;
    }
    if (journalAvailable()) {
        const int sent = sd_journal_send(
            "MESSAGE=%.*s", static_cast<int>(message.size()), message.data(), "PRIORITY=%i", level,
            "SYSLOG_IDENTIFIER=kavorn-camera-extension", "KAVORN_SUBSYSTEM=%s", subsystem_.c_str(),
            "KAVORN_CATEGORY=%s", category_.c_str(), nullptr);
        if (sent >= 0) {
            return;
        }
    }
    std::string line = "[" + category_ + "] ";
    if (level == LOG_ERR) {
        line += "error: ";
    }
    line.append(message);
    line.push_back('\n');
    writeWhole(STDERR_FILENO, line);
}

}  // namespace kavorn
