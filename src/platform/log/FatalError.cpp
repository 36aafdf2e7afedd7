// SPDX-License-Identifier: MIT
// Fatal stop.
#include "platform/log/FatalError.h"

#include <unistd.h>

#include <cstdlib>
#include <string>

namespace kavorn {

void fatalError(std::string_view message) {
    std::string line = "Fatal error: ";
    line.append(message);
    line.push_back('\n');
    // Best effort: the process ends whatever write() says.
    [[maybe_unused]] ssize_t written = ::write(STDERR_FILENO, line.data(), line.size());
    std::abort();
}

}  // namespace kavorn
