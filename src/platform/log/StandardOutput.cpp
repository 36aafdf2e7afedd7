// SPDX-License-Identifier: MIT
// Standard-output lines.
#include "platform/log/StandardOutput.h"

#include <errno.h>
#include <unistd.h>

#include <atomic>

namespace kavorn {

namespace {
std::atomic<StandardOutputCapture*> capture{nullptr};
}  // namespace

void StandardOutput::writeLine(std::string_view line) {
    if (StandardOutputCapture* sink = capture.load(std::memory_order_acquire)) {
        sink->append(line);
        return;
    }
    std::string whole;
    whole.reserve(line.size() + 1);
    whole.append(line);
    whole.push_back('\n');
    const char* data = whole.data();
    std::size_t left = whole.size();
    while (left > 0) {
        ssize_t written = ::write(STDOUT_FILENO, data, left);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;  // Nobody to tell: standard output itself is gone.
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
}

StandardOutputCapture::StandardOutputCapture() {
    capture.store(this, std::memory_order_release);
}

StandardOutputCapture::~StandardOutputCapture() {
    capture.store(nullptr, std::memory_order_release);
}

std::vector<std::string> StandardOutputCapture::lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
}

void StandardOutputCapture::clear() {
    std::lock_guard lock(mutex_);
    lines_.clear();
}

void StandardOutputCapture::append(std::string_view line) {
    std::lock_guard lock(mutex_);
    lines_.emplace_back(line);
}

}  // namespace kavorn
