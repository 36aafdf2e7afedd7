// SPDX-License-Identifier: MIT
// Standard-output lines.
#include "platform/log/StandardOutput.h"

#include <errno.h>
#include <unistd.h>

#include <string>

#include "platform/log/OutputCapture.h"

namespace kavorn {

bool writeWhole(int fd, std::string_view bytes) {
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    return true;
}

void StandardOutput::writeLine(std::string_view line) {
    if (OutputCapture* capture = OutputCapture::current()) {
        capture->append(OutputRecord{
            OutputChannel::StandardOutput, LogLevel::Default, {}, {}, std::string(line)});
        return;
    }
    std::string whole;
    whole.reserve(line.size() + 1);
    whole.append(line);
    whole.push_back('\n');
    // Nobody to tell if standard output itself is gone.
    writeWhole(STDOUT_FILENO, whole);
}

}  // namespace kavorn
