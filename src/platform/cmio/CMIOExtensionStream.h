// SPDX-License-Identifier: MIT
// The host's stream object: a named stream with a direction, a clock and a source.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/cmio/CMIOExtensionScheduledOutput.h"
#include "platform/cmio/CMIOExtensionStreamSource.h"
#include "platform/cmio/UUID.h"
#include "platform/media/CMSampleBuffer.h"

namespace kavorn {

enum class CMIOExtensionStreamDirection : std::int32_t { Source = 0, Sink = 1 };
enum class CMIOExtensionStreamClockType : std::int32_t {
    HostTime = 0,
    LinkedCoreAudioDevice = 1,
    Custom = 2
};

using CMIOExtensionStreamDiscontinuityFlags = std::uint32_t;
inline constexpr CMIOExtensionStreamDiscontinuityFlags kCMIOExtensionStreamDiscontinuityFlagNone =
    0;
inline constexpr CMIOExtensionStreamDiscontinuityFlags
    kCMIOExtensionStreamDiscontinuityFlagUnknown = 1U << 0;
inline constexpr CMIOExtensionStreamDiscontinuityFlags kCMIOExtensionStreamDiscontinuityFlagTime =
    1U << 1;
inline constexpr CMIOExtensionStreamDiscontinuityFlags
    kCMIOExtensionStreamDiscontinuityFlagSampleDropped = 1U << 6;

// The answer to one consume request: the buffer or none, its sequence number, discontinuity
// flags, whether more buffers wait, and an error or none.
using CMIOExtensionConsumeCompletion =
    std::function<void(CMSampleBufferRef sampleBuffer, std::uint64_t sequenceNumber,
                       CMIOExtensionStreamDiscontinuityFlags discontinuity,
                       bool hasMoreSampleBuffers, std::optional<NSError> error)>;

// Owned by the logic object it stands for; holds its source weakly, so the host never keeps
// the source alive. Its operations forward to the process's Host and may be called from any
// thread.
class CMIOExtensionStream {
public:
    CMIOExtensionStream(std::string localizedName, UUID streamID,
                        CMIOExtensionStreamDirection direction,
                        CMIOExtensionStreamClockType clockType,
                        std::weak_ptr<CMIOExtensionStreamSource> source);
    ~CMIOExtensionStream();
    CMIOExtensionStream(const CMIOExtensionStream&) = delete;
    CMIOExtensionStream& operator=(const CMIOExtensionStream&) = delete;

    const std::string& localizedName() const { return localizedName_; }
    const UUID& streamID() const { return streamID_; }
    CMIOExtensionStreamDirection direction() const { return direction_; }
    CMIOExtensionStreamClockType clockType() const { return clockType_; }
    // The source, while it exists.
    std::shared_ptr<CMIOExtensionStreamSource> source() const { return source_.lock(); }

    // Output streams: hands one frame to every reader of the stream.
    void sendSampleBuffer(const CMSampleBufferRef& sampleBuffer,
                          CMIOExtensionStreamDiscontinuityFlags discontinuity,
                          std::uint64_t hostTimeInNanoseconds);

    // Sink streams: asks for the client's next buffer. The host calls the completion exactly
    // once, on a thread of its own, unless the host itself goes away first.
    void consumeSampleBuffer(const CMIOExtensionClientRef& client,
                             CMIOExtensionConsumeCompletion completion);
    // Sink streams: tells the host when a consumed buffer was output.
    void notifyScheduledOutputChanged(const CMIOExtensionScheduledOutput& scheduledOutput);

private:
    const std::string localizedName_;
    const UUID streamID_;
    const CMIOExtensionStreamDirection direction_;
    const CMIOExtensionStreamClockType clockType_;
    const std::weak_ptr<CMIOExtensionStreamSource> source_;
};

}  // namespace kavorn
