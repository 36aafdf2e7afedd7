// SPDX-License-Identifier: MIT
// `kavorn-companion placeholder`: the placeholder picture as a file.
#pragma once

namespace kavorn::companion {

extern const char* const kPlaceholderUsage;

// argv[0] is "placeholder". Returns the exit status.
int runPlaceholderCommand(int argc, char** argv);

}  // namespace kavorn::companion
