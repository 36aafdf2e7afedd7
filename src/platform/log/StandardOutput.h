// SPDX-License-Identifier: MIT
// Whole lines on standard output.
#pragma once

#include <string_view>

namespace kavorn {

// Each line goes out with a single write(2), newline included, so lines written from different
// threads never interleave. Any thread. An OutputCapture, while one exists, takes the lines.
class StandardOutput {
public:
    static void writeLine(std::string_view line);
};

// Writes a whole buffer to a descriptor, retrying after signals; false when it cannot.
bool writeWhole(int fd, std::string_view bytes);

}  // namespace kavorn
