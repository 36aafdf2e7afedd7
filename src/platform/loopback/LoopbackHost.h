// SPDX-License-Identifier: MIT
// The in-process host: tests and demos play the host's part through it.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/cmio/CMIOExtensionClient.h"
#include "platform/cmio/Host.h"

namespace kavorn {

// Calls into stream sources happen on the thread that calls the driving method, like a host
// that uses the caller's queue. Everything here may be called from any thread.
class LoopbackHost final : public Host {
public:
    // One frame handed to the host by an output stream.
    struct SentSample {
        UUID streamID;
        std::string streamName;
        CMSampleBufferRef sampleBuffer;
        CMIOExtensionStreamDiscontinuityFlags discontinuity = 0;
        std::uint64_t hostTimeInNanoseconds = 0;
    };

    LoopbackHost() = default;

    // Host operations.
    void sendSampleBuffer(const CMIOExtensionStream& stream, const CMSampleBufferRef& sampleBuffer,
                          CMIOExtensionStreamDiscontinuityFlags discontinuity,
                          std::uint64_t hostTimeInNanoseconds) override;

    // Calls into a stream's source, as the host makes them. Absent when the source is gone.
    std::optional<std::vector<CMIOExtensionStreamFormat>> formats(
        const CMIOExtensionStream& stream);
    std::optional<CMIOExtensionPropertySet> availableProperties(const CMIOExtensionStream& stream);
    std::optional<CMIOExtensionStreamProperties> streamProperties(
        const CMIOExtensionStream& stream, const CMIOExtensionPropertySet& keys);
    std::optional<MaybeError> setStreamProperties(const CMIOExtensionStream& stream,
                                                  const CMIOExtensionStreamProperties& properties);
    std::optional<bool> authorizeClient(const CMIOExtensionStream& stream,
                                        const CMIOExtensionClientRef& client);
    std::optional<MaybeError> startStream(const CMIOExtensionStream& stream);
    std::optional<MaybeError> stopStream(const CMIOExtensionStream& stream);

    // A client as the host would describe it, with a fresh identifier.
    static CMIOExtensionClientRef makeClient(pid_t pid, std::optional<std::string> signingID);

    // Every frame sent so far, oldest first.
    std::vector<SentSample> sent() const;
    std::size_t sentCount() const;
    void clearSent();
    // Benchmarks turn recording off so that frames are counted and let go at once.
    void setRecordsSamples(bool records);
    // Waits until at least `count` frames have been sent in all (real-time tests).
    bool waitForSentCount(std::size_t count, std::chrono::milliseconds timeout) const;

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable sentChanged_;
    std::vector<SentSample> sent_;
    std::size_t sentCount_ = 0;
    bool recordsSamples_ = true;
};

}  // namespace kavorn
