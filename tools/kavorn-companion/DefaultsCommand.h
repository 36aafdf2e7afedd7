// SPDX-License-Identifier: MIT
// `kavorn-companion defaults`: read and write the shared defaults.
#pragma once

namespace kavorn::companion {

extern const char* const kDefaultsUsage;

// argv[0] is "defaults". Returns the exit status.
int runDefaultsCommand(int argc, char** argv);

}  // namespace kavorn::companion
