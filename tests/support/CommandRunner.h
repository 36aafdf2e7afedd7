// SPDX-License-Identifier: MIT
// Runs a program of the project as a user would, and collects what it says.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kavorn::test {

struct CommandResult {
    int status = -1;  // exit status, or -1 when killed by a signal
    std::string out;
    std::string err;
};

// Changes to the child's environment: a value sets the variable, none removes it.
using EnvironmentChanges = std::map<std::string, std::optional<std::string>>;

// Runs to completion, standard input empty.
CommandResult runCommand(const std::vector<std::string>& argv,
                         const EnvironmentChanges& environment = {});

// A program left running, whose standard output is read line by line.
class RunningCommand {
public:
    RunningCommand(const std::vector<std::string>& argv, const EnvironmentChanges& environment);
    ~RunningCommand();
    RunningCommand(const RunningCommand&) = delete;
    RunningCommand& operator=(const RunningCommand&) = delete;

    // The next whole line of standard output, or none when none comes in time.
    std::optional<std::string> readLine(std::chrono::milliseconds timeout);
    void signal(int number);
    // The exit status once it has ended, or none when it does not end in time (it is then
    // killed).
    std::optional<int> wait(std::chrono::milliseconds timeout);

private:
    pid_t pid_ = -1;
    int out_ = -1;
    std::string buffered_;
};

}  // namespace kavorn::test
