// SPDX-License-Identifier: MIT
// Fault injection for media create calls.
#include "platform/media/MediaFaults.h"

#include <array>
#include <atomic>

namespace kavorn {

namespace {
constexpr std::size_t kCalls =
    static_cast<std::size_t>(MediaCall::CTFontCreateUIFontForLanguage) + 1;
std::array<std::atomic<OSStatus>, kCalls> faults{};
}  // namespace

void MediaFaults::fail(MediaCall call, OSStatus status) {
    faults[static_cast<std::size_t>(call)].store(status, std::memory_order_relaxed);
}

void MediaFaults::clear(MediaCall call) {
    fail(call, noErr);
}

OSStatus MediaFaults::injected(MediaCall call) {
    return faults[static_cast<std::size_t>(call)].load(std::memory_order_relaxed);
}

}  // namespace kavorn
