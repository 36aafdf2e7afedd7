// SPDX-License-Identifier: MIT
// The application group and shared-defaults keys, byte for byte as the companion app uses them.
#pragma once

namespace kavorn {

struct SharedConstants {
    static constexpr const char* appGroupIdentifier =
        "Q3X58T21M7.com.vennardholtdigitalco.kavorn.shared";
    static constexpr const char* frameWidthKey = "com.vennardholtdigitalco.kavorn.frameWidth";
    static constexpr const char* frameHeightKey = "com.vennardholtdigitalco.kavorn.frameHeight";
    static constexpr const char* isStreamingKey = "com.vennardholtdigitalco.kavorn.isStreaming";
    // Part of the shared set; the consumed state itself travels in the consumer report file.
    static constexpr const char* isConsumedKey = "com.vennardholtdigitalco.kavorn.isConsumed";
};

// The subsystem every log record of the extension carries.
inline constexpr const char* kLogSubsystem = "com.vennardholtdigitalco.kavorn.camera-extension";

}  // namespace kavorn
