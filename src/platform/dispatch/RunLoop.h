// SPDX-License-Identifier: MIT
// The main thread's run loop: where the process waits once it has started its service.
#pragma once

namespace kavorn {

struct CFRunLoop;
using CFRunLoopRef = CFRunLoop*;

CFRunLoopRef CFRunLoopGetMain();

// Blocks the calling thread until the host asks the loop to stop. The host's own threads do
// the work meanwhile. A stop that comes before the loop runs makes the next run return at once.
void CFRunLoopRun();

// Makes CFRunLoopRun() return. Any thread.
void CFRunLoopStop(CFRunLoopRef loop);

}  // namespace kavorn
