// SPDX-License-Identifier: MIT
// What the sink stream answers the host: its format, properties, admission, start and stop.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "platform/cmio/CMIOExtensionStreamSource.h"

namespace kavorn {

class CameraSinkStream;

// Owned by its CameraSinkStream, which sets `stream` once, before the host stream is handed to
// the host. The host calls in on threads of its choosing; no call fails.
class CameraSinkStreamSource final : public CMIOExtensionStreamSource {
public:
    static constexpr std::int64_t kSinkBufferQueueSize = 6;
    static constexpr std::int64_t kSinkBuffersRequiredForStartup = 1;

    CameraSinkStreamSource() = default;

    void setStream(std::weak_ptr<CameraSinkStream> stream) { stream_ = std::move(stream); }

    std::vector<CMIOExtensionStreamFormat> formats() override;
    // Five keys, end-of-data among them, though its value is never reported.
    CMIOExtensionPropertySet availableProperties() override;
    CMIOExtensionStreamProperties streamPropertiesForProperties(
        const CMIOExtensionPropertySet& properties) override;
    // Stores an active format index as given, unchecked; ignores everything else.
    MaybeError setStreamProperties(const CMIOExtensionStreamProperties& properties) override;
    // Every client is admitted; the latest one becomes the sink stream's client.
    bool authorizedToStartStreamForClient(const CMIOExtensionClientRef& client) override;
    MaybeError startStream() override;
    MaybeError stopStream() override;

private:
    std::weak_ptr<CameraSinkStream> stream_;
    // Kept and reported, never applied: the sink takes the one format whatever it holds.
    std::atomic<std::int64_t> activeFormatIndex_{0};
};

}  // namespace kavorn
