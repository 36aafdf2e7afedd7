// SPDX-License-Identifier: MIT
// What the output stream answers the host: its format, properties, admission, start and stop.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "platform/cmio/CMIOExtensionStreamSource.h"

namespace kavorn {

class CameraStream;

// Owned by its CameraStream, which sets `stream` once, before the host stream is handed to the
// host. The host calls in on threads of its choosing; no call fails.
class CameraStreamSource final : public CMIOExtensionStreamSource {
public:
    CameraStreamSource() = default;

    void setStream(std::weak_ptr<CameraStream> stream) { stream_ = std::move(stream); }

    std::vector<CMIOExtensionStreamFormat> formats() override;
    CMIOExtensionPropertySet availableProperties() override;
    CMIOExtensionStreamProperties streamPropertiesForProperties(
        const CMIOExtensionPropertySet& properties) override;
    // Stores an active format index as given, unchecked; ignores everything else.
    MaybeError setStreamProperties(const CMIOExtensionStreamProperties& properties) override;
    // Every client is admitted; the stream records it for consumer tracking.
    bool authorizedToStartStreamForClient(const CMIOExtensionClientRef& client) override;
    MaybeError startStream() override;
    MaybeError stopStream() override;

private:
    std::weak_ptr<CameraStream> stream_;
    // Kept and reported, never applied: the stream's frames are always the one format.
    std::atomic<std::int64_t> activeFormatIndex_{0};
};

}  // namespace kavorn
