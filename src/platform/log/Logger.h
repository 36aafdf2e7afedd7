// SPDX-License-Identifier: MIT
// The unified log: records with a subsystem, a category and a level.
#pragma once

#include <string>
#include <string_view>

namespace kavorn {

// Records go to journald when its socket exists (MESSAGE, PRIORITY notice or err,
// SYSLOG_IDENTIFIER=kavorn-camera-extension, KAVORN_SUBSYSTEM, KAVORN_CATEGORY), otherwise to
// standard error, one line each. Any thread; a record is never split.
class Logger {
public:
    Logger(std::string subsystem, std::string category);

    // Default level.
    void log(std::string_view message) const;
    void error(std::string_view message) const;

    const std::string& subsystem() const { return subsystem_; }
    const std::string& category() const { return category_; }

private:
    void write(int level, std::string_view message) const;

    std::string subsystem_;
    std::string category_;
};

}  // namespace kavorn
