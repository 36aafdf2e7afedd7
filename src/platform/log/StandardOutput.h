// SPDX-License-Identifier: MIT
// Whole lines on standard output.
#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace kavorn {

// Each line goes out with a single write(2), newline included, so lines written from different
// threads never interleave. Any thread.
class StandardOutput {
public:
    static void writeLine(std::string_view line);
};

// Collects the lines written to standard output for its lifetime instead of writing them
// (tests). One capture at a time.
class StandardOutputCapture {
public:
    StandardOutputCapture();
    ~StandardOutputCapture();
    StandardOutputCapture(const StandardOutputCapture&) = delete;
    StandardOutputCapture& operator=(const StandardOutputCapture&) = delete;

    std::vector<std::string> lines() const;
    void clear();

    // Called by StandardOutput.
    void append(std::string_view line);

private:
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
};

}  // namespace kavorn
