// SPDX-License-Identifier: MIT
// `kavorn-companion status`: whether the camera is in use, as the companion app reads it.
#pragma once

namespace kavorn::companion {

extern const char* const kStatusUsage;

// argv[0] is "status". Returns the exit status.
int runStatusCommand(int argc, char** argv);

}  // namespace kavorn::companion
