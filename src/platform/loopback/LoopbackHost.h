// SPDX-License-Identifier: MIT
// The in-process host: tests and demos play the host's part through it.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/cmio/CMIOExtensionClient.h"
#include "platform/cmio/Host.h"

namespace kavorn {

// Calls into sources happen on the thread that calls the driving method (or on the provider's
// client queue, when it has one), and consume completions on the thread that completes the
// request. The host calls into sources without holding its own lock, so sources may call back.
// Everything here may be called from any thread.
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

    // One scheduled-output report from a sink stream.
    struct ScheduledOutputReport {
        UUID streamID;
        CMIOExtensionScheduledOutput output;
    };

    // How to answer one consume request.
    struct ConsumeAnswer {
        CMSampleBufferRef sampleBuffer;
        std::uint64_t sequenceNumber = 0;
        CMIOExtensionStreamDiscontinuityFlags discontinuity = 0;
        bool hasMoreSampleBuffers = false;
        std::optional<NSError> error;

        static ConsumeAnswer buffer(CMSampleBufferRef sampleBuffer, std::uint64_t sequence) {
            return {std::move(sampleBuffer), sequence, 0, false, std::nullopt};
        }
    };

    LoopbackHost() = default;

    // Host operations.
    MaybeError addDevice(CMIOExtensionProvider& provider, CMIOExtensionDevice& device) override;
    MaybeError addStream(CMIOExtensionDevice& device, CMIOExtensionStream& stream) override;
    void startService(CMIOExtensionProvider& provider) override;
    void sendSampleBuffer(const CMIOExtensionStream& stream, const CMSampleBufferRef& sampleBuffer,
                          CMIOExtensionStreamDiscontinuityFlags discontinuity,
                          std::uint64_t hostTimeInNanoseconds) override;
    void consumeSampleBuffer(const CMIOExtensionStream& stream,
                             const CMIOExtensionClientRef& client,
                             CMIOExtensionConsumeCompletion completion) override;
    void notifyScheduledOutputChanged(const CMIOExtensionStream& stream,
                                      const CMIOExtensionScheduledOutput& output) override;
    void providerDestroyed(const CMIOExtensionProvider& provider) override;
    void deviceDestroyed(const CMIOExtensionDevice& device) override;
    void streamDestroyed(const CMIOExtensionStream& stream) override;

    // Registration. Until cleared, addDevice fails with `error`; addStream fails with `error`
    // for every stream, or only for the one with the given name.
    void failAddDevice(std::optional<NSError> error);
    void failAddStream(std::optional<NSError> error,
                       std::optional<std::string> onlyStreamNamed = std::nullopt);
    // Names of the streams offered to addStream, in order, whether or not it succeeded.
    std::vector<std::string> offeredStreams() const;
    bool serviceStarted() const;
    bool waitForServiceStarted(std::chrono::milliseconds timeout) const;
    // The provider the service was started with, or else the last one a device was added to.
    CMIOExtensionProvider* provider() const;
    // An added stream by its name, or none.
    CMIOExtensionStream* findStream(const std::string& localizedName) const;

    // Calls into the provider's source. Absent when there is no provider or source.
    std::optional<MaybeError> connectClient(const CMIOExtensionClientRef& client);
    std::optional<bool> disconnectClient(const CMIOExtensionClientRef& client);
    std::optional<CMIOExtensionPropertySet> providerAvailableProperties();
    std::optional<CMIOExtensionProviderProperties> providerProperties(
        const CMIOExtensionPropertySet& keys);
    std::optional<MaybeError> setProviderProperties(
        const CMIOExtensionProviderProperties& properties);

    // Calls into a device's source. Absent when the source is gone.
    std::optional<CMIOExtensionPropertySet> deviceAvailableProperties(
        const CMIOExtensionDevice& device);
    std::optional<CMIOExtensionDeviceProperties> deviceProperties(
        const CMIOExtensionDevice& device, const CMIOExtensionPropertySet& keys);
    std::optional<MaybeError> setDeviceProperties(const CMIOExtensionDevice& device,
                                                  const CMIOExtensionDeviceProperties& properties);

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

    // Sink requests: how many are waiting, for whom, and answering the oldest one on the
    // calling thread. False when none is waiting.
    std::size_t outstandingRequests(const CMIOExtensionStream& stream) const;
    CMIOExtensionClientRef oldestRequestClient(const CMIOExtensionStream& stream) const;
    bool completeRequest(const CMIOExtensionStream& stream, ConsumeAnswer answer);
    std::vector<ScheduledOutputReport> scheduledOutputs() const;

    // Every frame sent so far, oldest first.
    std::vector<SentSample> sent() const;
    std::size_t sentCount() const;
    void clearSent();
    // Benchmarks turn recording off so that frames are counted and let go at once.
    void setRecordsSamples(bool records);
    // Waits until at least `count` frames have been sent in all (real-time tests).
    bool waitForSentCount(std::size_t count, std::chrono::milliseconds timeout) const;

private:
    struct Request {
        const CMIOExtensionStream* stream;
        CMIOExtensionClientRef client;
        CMIOExtensionConsumeCompletion completion;
    };

    // Calls `call` with the provider's source, on its client queue when it has one.
    template <class Call>
    auto withProviderSource(Call call)
        -> std::optional<decltype(call(std::declval<CMIOExtensionProviderSource&>()))>;

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::optional<NSError> addDeviceError_;
    std::optional<NSError> addStreamError_;
    std::optional<std::string> addStreamErrorOnly_;
    std::vector<std::string> offeredStreams_;
    std::vector<CMIOExtensionProvider*> providers_;
    std::vector<CMIOExtensionDevice*> devices_;
    std::vector<CMIOExtensionStream*> streams_;
    CMIOExtensionProvider* startedProvider_ = nullptr;
    bool serviceStarted_ = false;
    std::deque<Request> requests_;
    std::vector<ScheduledOutputReport> scheduledOutputs_;
    std::vector<SentSample> sent_;
    std::size_t sentCount_ = 0;
    bool recordsSamples_ = true;
};

}  // namespace kavorn
