// SPDX-License-Identifier: MIT
// Private PipeWire daemons for integration tests.
#include "support/PipeWireDaemon.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/pipewire/PipeWireClient.h"

namespace kavorn::test {

PipeWireDaemon::PipeWireDaemon() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kavorn-pw-XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (::mkdtemp(name.data()) == nullptr) {
        throw std::runtime_error("cannot make a runtime directory");
    }
    runtime_ = name.data();
    ::setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
    ::setenv("PIPEWIRE_REMOTE", "kavorn-pipewire-0", 1);
}

PipeWireDaemon::~PipeWireDaemon() {
    stop();
    std::error_code ignored;
    std::filesystem::remove_all(runtime_, ignored);
}

bool PipeWireDaemon::start() {
    pid_ = fork();
    if (pid_ < 0) {
        return false;
    }
    if (pid_ == 0) {
        const std::string log = (runtime_ / "pipewire.log").string();
        const int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        dup2(fd, STDOUT_FILENO);
        dup2(fd, STDERR_FILENO);
        execlp("pipewire", "pipewire", "-c", KAVORN_PIPEWIRE_CONFIG, nullptr);
        _exit(127);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        if (std::filesystem::exists(runtime_ / "kavorn-pipewire-0")) {
            PipeWireClient probe;
            std::string error;
            if (probe.connect("kavorn-test-probe", error)) {
                return true;
            }
        }
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

void PipeWireDaemon::stop() {
    if (pid_ <= 0) {
        return;
    }
    ::kill(pid_, SIGTERM);
    for (int i = 0; i < 200; ++i) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::kill(pid_, SIGKILL);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
}

}  // namespace kavorn::test
