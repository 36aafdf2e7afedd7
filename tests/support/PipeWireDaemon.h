// SPDX-License-Identifier: MIT
// A private PipeWire daemon for one test binary or one test.
#pragma once

#include <sys/types.h>

#include <filesystem>

namespace kavorn::test {

// Runs `pipewire` with the project's private configuration in a runtime directory of its own,
// and points XDG_RUNTIME_DIR and PIPEWIRE_REMOTE of this process (and so of every child it
// starts) at it. No session manager runs: clients link themselves.
class PipeWireDaemon {
public:
    PipeWireDaemon();
    ~PipeWireDaemon();
    PipeWireDaemon(const PipeWireDaemon&) = delete;
    PipeWireDaemon& operator=(const PipeWireDaemon&) = delete;

    // Starts the daemon and waits until it answers; false when it does not within 10 s.
    bool start();
    // Ends it (SIGTERM, then SIGKILL) and waits for it.
    void stop();
    bool running() const { return pid_ > 0; }
    const std::filesystem::path& runtimeDirectory() const { return runtime_; }

private:
    std::filesystem::path runtime_;
    pid_t pid_ = -1;
};

}  // namespace kavorn::test
