// SPDX-License-Identifier: MIT
// In-process host.
#include "platform/loopback/LoopbackHost.h"

#include <algorithm>

#include "platform/dispatch/DispatchQueue.h"

namespace kavorn {

namespace {

// Calls `call` with the object's source while it exists; absent otherwise.
template <class Object, class Call>
auto withSource(const Object& object, Call call)
    -> std::optional<decltype(call(*object.source()))> {
    if (auto source = object.source()) {
        return call(*source);
    }
    return std::nullopt;
}

template <class T>
void forget(std::vector<T*>& list, const T* item) {
    std::erase(list, item);
}

}  // namespace

MaybeError LoopbackHost::addDevice(CMIOExtensionProvider& provider, CMIOExtensionDevice& device) {
    std::lock_guard lock(mutex_);
    if (addDeviceError_) {
        return addDeviceError_;
    }
    if (std::find(providers_.begin(), providers_.end(), &provider) == providers_.end()) {
        providers_.push_back(&provider);
    }
    devices_.push_back(&device);
    return std::nullopt;
}

MaybeError LoopbackHost::addStream(CMIOExtensionDevice& /*device*/, CMIOExtensionStream& stream) {
    std::lock_guard lock(mutex_);
    offeredStreams_.push_back(stream.localizedName());
    if (addStreamError_ &&
        (!addStreamErrorOnly_ || *addStreamErrorOnly_ == stream.localizedName())) {
        return addStreamError_;
    }
    streams_.push_back(&stream);
    return std::nullopt;
}

void LoopbackHost::startService(CMIOExtensionProvider& provider) {
    {
        std::lock_guard lock(mutex_);
        startedProvider_ = &provider;
        serviceStarted_ = true;
    }
    changed_.notify_all();
}

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
    changed_.notify_all();
}

void LoopbackHost::consumeSampleBuffer(const CMIOExtensionStream& stream,
                                       const CMIOExtensionClientRef& client,
                                       CMIOExtensionConsumeCompletion completion) {
    std::lock_guard lock(mutex_);
    requests_.push_back(Request{&stream, client, std::move(completion)});
}

void LoopbackHost::notifyScheduledOutputChanged(const CMIOExtensionStream& stream,
                                                const CMIOExtensionScheduledOutput& output) {
    std::lock_guard lock(mutex_);
    scheduledOutputs_.push_back(ScheduledOutputReport{stream.streamID(), output});
}

void LoopbackHost::providerDestroyed(const CMIOExtensionProvider& provider) {
    std::lock_guard lock(mutex_);
    forget(providers_, &provider);
    if (startedProvider_ == &provider) {
        startedProvider_ = nullptr;
    }
}

void LoopbackHost::deviceDestroyed(const CMIOExtensionDevice& device) {
    std::lock_guard lock(mutex_);
    forget(devices_, &device);
}

void LoopbackHost::streamDestroyed(const CMIOExtensionStream& stream) {
    std::deque<Request> dropped;
    {
        std::lock_guard lock(mutex_);
        forget(streams_, &stream);
        auto gone = std::stable_partition(requests_.begin(), requests_.end(),
                                          [&](const Request& r) { return r.stream != &stream; });
        std::move(gone, requests_.end(), std::back_inserter(dropped));
        requests_.erase(gone, requests_.end());
    }
    // The dropped completions are released here, off the lock.
}

void LoopbackHost::failAddDevice(std::optional<NSError> error) {
    std::lock_guard lock(mutex_);
    addDeviceError_ = std::move(error);
}

void LoopbackHost::failAddStream(std::optional<NSError> error,
                                 std::optional<std::string> onlyStreamNamed) {
    std::lock_guard lock(mutex_);
    addStreamError_ = std::move(error);
    addStreamErrorOnly_ = std::move(onlyStreamNamed);
}

std::vector<std::string> LoopbackHost::offeredStreams() const {
    std::lock_guard lock(mutex_);
    return offeredStreams_;
}

bool LoopbackHost::serviceStarted() const {
    std::lock_guard lock(mutex_);
    return serviceStarted_;
}

bool LoopbackHost::waitForServiceStarted(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return serviceStarted_; });
}

CMIOExtensionProvider* LoopbackHost::provider() const {
    std::lock_guard lock(mutex_);
    if (startedProvider_ != nullptr) {
        return startedProvider_;
    }
    return providers_.empty() ? nullptr : providers_.back();
}

CMIOExtensionStream* LoopbackHost::findStream(const std::string& localizedName) const {
    std::lock_guard lock(mutex_);
    for (CMIOExtensionStream* stream : streams_) {
        if (stream->localizedName() == localizedName) {
            return stream;
        }
    }
    return nullptr;
}

template <class Call>
auto LoopbackHost::withProviderSource(Call call)
    -> std::optional<decltype(call(std::declval<CMIOExtensionProviderSource&>()))> {
    CMIOExtensionProvider* current = provider();
    std::shared_ptr<CMIOExtensionProviderSource> source = current ? current->source() : nullptr;
    if (!source) {
        return std::nullopt;
    }
    if (const auto& queue = current->clientQueue()) {
        std::optional<decltype(call(*source))> result;
        queue->sync([&] { result = call(*source); });
        return result;
    }
    return call(*source);
}

std::optional<MaybeError> LoopbackHost::connectClient(const CMIOExtensionClientRef& client) {
    return withProviderSource([&](auto& source) { return source.connectClient(client); });
}

std::optional<bool> LoopbackHost::disconnectClient(const CMIOExtensionClientRef& client) {
    return withProviderSource([&](auto& source) {
        source.disconnectClient(client);
        return true;
    });
}

std::optional<CMIOExtensionPropertySet> LoopbackHost::providerAvailableProperties() {
    return withProviderSource([](auto& source) { return source.availableProperties(); });
}

std::optional<CMIOExtensionProviderProperties> LoopbackHost::providerProperties(
    const CMIOExtensionPropertySet& keys) {
    return withProviderSource(
        [&](auto& source) { return source.providerPropertiesForProperties(keys); });
}

std::optional<MaybeError> LoopbackHost::setProviderProperties(
    const CMIOExtensionProviderProperties& properties) {
    return withProviderSource(
        [&](auto& source) { return source.setProviderProperties(properties); });
}

std::optional<CMIOExtensionPropertySet> LoopbackHost::deviceAvailableProperties(
    const CMIOExtensionDevice& device) {
    return withSource(device, [](auto& source) { return source.availableProperties(); });
}

std::optional<CMIOExtensionDeviceProperties> LoopbackHost::deviceProperties(
    const CMIOExtensionDevice& device, const CMIOExtensionPropertySet& keys) {
    return withSource(device,
                      [&](auto& source) { return source.devicePropertiesForProperties(keys); });
}

std::optional<MaybeError> LoopbackHost::setDeviceProperties(
    const CMIOExtensionDevice& device, const CMIOExtensionDeviceProperties& properties) {
    return withSource(device, [&](auto& source) { return source.setDeviceProperties(properties); });
}

std::optional<std::vector<CMIOExtensionStreamFormat>> LoopbackHost::formats(
    const CMIOExtensionStream& stream) {
    return withSource(stream, [](auto& source) { return source.formats(); });
}

std::optional<CMIOExtensionPropertySet> LoopbackHost::availableProperties(
    const CMIOExtensionStream& stream) {
    return withSource(stream, [](auto& source) { return source.availableProperties(); });
}

std::optional<CMIOExtensionStreamProperties> LoopbackHost::streamProperties(
    const CMIOExtensionStream& stream, const CMIOExtensionPropertySet& keys) {
    return withSource(stream,
                      [&](auto& source) { return source.streamPropertiesForProperties(keys); });
}

std::optional<MaybeError> LoopbackHost::setStreamProperties(
    const CMIOExtensionStream& stream, const CMIOExtensionStreamProperties& properties) {
    return withSource(stream, [&](auto& source) { return source.setStreamProperties(properties); });
}

std::optional<bool> LoopbackHost::authorizeClient(const CMIOExtensionStream& stream,
                                                  const CMIOExtensionClientRef& client) {
    return withSource(
        stream, [&](auto& source) { return source.authorizedToStartStreamForClient(client); });
}

std::optional<MaybeError> LoopbackHost::startStream(const CMIOExtensionStream& stream) {
    return withSource(stream, [](auto& source) { return source.startStream(); });
}

std::optional<MaybeError> LoopbackHost::stopStream(const CMIOExtensionStream& stream) {
    return withSource(stream, [](auto& source) { return source.stopStream(); });
}

CMIOExtensionClientRef LoopbackHost::makeClient(pid_t pid, std::optional<std::string> signingID) {
    return std::make_shared<const CMIOExtensionClient>(
        CMIOExtensionClient{UUID::random(), pid, std::move(signingID)});
}

std::size_t LoopbackHost::outstandingRequests(const CMIOExtensionStream& stream) const {
    std::lock_guard lock(mutex_);
    return static_cast<std::size_t>(std::count_if(
        requests_.begin(), requests_.end(), [&](const Request& r) { return r.stream == &stream; }));
}

CMIOExtensionClientRef LoopbackHost::oldestRequestClient(const CMIOExtensionStream& stream) const {
    std::lock_guard lock(mutex_);
    for (const Request& request : requests_) {
        if (request.stream == &stream) {
            return request.client;
        }
    }
    return nullptr;
}

bool LoopbackHost::completeRequest(const CMIOExtensionStream& stream, ConsumeAnswer answer) {
    CMIOExtensionConsumeCompletion completion;
    {
        std::lock_guard lock(mutex_);
        auto it = std::find_if(requests_.begin(), requests_.end(),
                               [&](const Request& r) { return r.stream == &stream; });
        if (it == requests_.end()) {
            return false;
        }
        completion = std::move(it->completion);
        requests_.erase(it);
    }
    completion(std::move(answer.sampleBuffer), answer.sequenceNumber, answer.discontinuity,
               answer.hasMoreSampleBuffers, std::move(answer.error));
    return true;
}

std::vector<LoopbackHost::ScheduledOutputReport> LoopbackHost::scheduledOutputs() const {
    std::lock_guard lock(mutex_);
    return scheduledOutputs_;
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
    return changed_.wait_for(lock, timeout, [&] { return sentCount_ >= count; });
}

}  // namespace kavorn
