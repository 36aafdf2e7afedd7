// SPDX-License-Identifier: MIT
// `kavorn-companion snapshot`: reads Quorvelle Camera as a video app would and saves a frame.
#pragma once

namespace kavorn::companion {

// argv[0] is "snapshot". Returns the exit status.
int runSnapshotCommand(int argc, char** argv);

}  // namespace kavorn::companion
