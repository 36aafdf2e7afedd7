// SPDX-License-Identifier: MIT
// In-process host.
#include "platform/loopback/LoopbackHost.h"

namespace kavorn {

void LoopbackHost::sendSampleBuffer(const CMIOExtensionStream& stream,
                                    const CMSampleBufferRef& sampleBuffer,
                                    CMIOExtensionStreamDiscontinuityFlags discontinuity,
                                    std::uint64_t hostTimeInNanoseconds) {
    {
        std::lock_guard lock(mutex_);
        ++sentCount_;
        if (recordsSamples_) {
            sent_.push_back(SentSample{stream.streamID(), stream.localizedName(), sampleBuffer,
                                       discontinuity, hostTimeInNanoseconds});
        }
    }
    sentChanged_.notify_all();
}

std::optional<std::vector<CMIOExtensionStreamFormat>> LoopbackHost::formats(
    const CMIOExtensionStream& stream) {
    if (auto source = stream.source()) {
        return source->formats();
    }
    return std::nullopt;
}

std::optional<CMIOExtensionPropertySet> LoopbackHost::availableProperties(
    const CMIOExtensionStream& stream) {
    if (auto source = stream.source()) {
        return source->availableProperties();
    }
    return std::nullopt;
}

std::optional<CMIOExtensionStreamProperties> LoopbackHost::streamProperties(
    const CMIOExtensionStream& stream, const CMIOExtensionPropertySet& keys) {
    if (auto source = stream.source()) {
        return source->streamPropertiesForProperties(keys);
    }
    return std::nullopt;
}

std::optional<MaybeError> LoopbackHost::setStreamProperties(
    const CMIOExtensionStream& stream, const CMIOExtensionStreamProperties& properties) {
    if (auto source = stream.source()) {
        return source->setStreamProperties(properties);
    }
    return std::nullopt;
}

std::optional<bool> LoopbackHost::authorizeClient(const CMIOExtensionStream& stream,
                                                  const CMIOExtensionClientRef& client) {
    if (auto source = stream.source()) {
        return source->authorizedToStartStreamForClient(client);
    }
    return std::nullopt;
}

std::optional<MaybeError> LoopbackHost::startStream(const CMIOExtensionStream& stream) {
    if (auto source = stream.source()) {
        return source->startStream();
    }
    return std::nullopt;
}

std::optional<MaybeError> LoopbackHost::stopStream(const CMIOExtensionStream& stream) {
    if (auto source = stream.source()) {
        return source->stopStream();
    }
    return std::nullopt;
}

CMIOExtensionClientRef LoopbackHost::makeClient(pid_t pid, std::optional<std::string> signingID) {
    return std::make_shared<const CMIOExtensionClient>(
        CMIOExtensionClient{UUID::random(), pid, std::move(signingID)});
}

std::vector<LoopbackHost::SentSample> LoopbackHost::sent() const {
    std::lock_guard lock(mutex_);
    return sent_;
}

std::size_t LoopbackHost::sentCount() const {
    std::lock_guard lock(mutex_);
    return sentCount_;
}

void LoopbackHost::clearSent() {
    std::lock_guard lock(mutex_);
    sent_.clear();
    sentCount_ = 0;
}

void LoopbackHost::setRecordsSamples(bool records) {
    std::lock_guard lock(mutex_);
    recordsSamples_ = records;
}

bool LoopbackHost::waitForSentCount(std::size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return sentChanged_.wait_for(lock, timeout, [&] { return sentCount_ >= count; });
}

}  // namespace kavorn
