// SPDX-License-Identifier: MIT
// `kavorn-companion feed`: writes frames into Quorvelle Sink as the companion app does.
#pragma once

namespace kavorn::companion {

// argv[0] is "feed". Returns the exit status.
int runFeedCommand(int argc, char** argv);

}  // namespace kavorn::companion
