// SPDX-License-Identifier: MIT
// Sink consumption loop.
#include "sink/CameraSinkStream.h"

#include "platform/log/Logger.h"
#include "shared/SharedConstants.h"
#include "sink/CameraSinkStreamSource.h"

namespace kavorn {

namespace {

const Logger& sinkLog() {
    static const Logger logger(kLogSubsystem, "sink");
    return logger;
}

// A presentation time in whole host nanoseconds, halves rounded away from zero. A time before
// zero has no such count; it is reported as 0.
std::uint64_t hostTimeOf(const CMSampleBufferRef& sampleBuffer) {
    const CMTime converted =
        CMTimeConvertScale(CMSampleBufferGetPresentationTimeStamp(sampleBuffer), 1'000'000'000,
                           CMTimeRoundingMethod::RoundHalfAwayFromZero);
    return converted.value < 0 ? 0 : static_cast<std::uint64_t>(converted.value);
}

}  // namespace

std::shared_ptr<CameraSinkStream> CameraSinkStream::create() {
    std::shared_ptr<CameraSinkStream> stream(new CameraSinkStream());
    stream->streamSource_->setStream(stream);
    return stream;
}

CameraSinkStream::CameraSinkStream()
    : streamSource_(std::make_shared<CameraSinkStreamSource>()), streamID_(UUID::random()) {
    extensionStream_ = std::make_unique<CMIOExtensionStream>(
        kLocalizedName, streamID_, CMIOExtensionStreamDirection::Sink,
        CMIOExtensionStreamClockType::HostTime, streamSource_);
}

void CameraSinkStream::setClient(CMIOExtensionClientRef client) {
    std::lock_guard lock(clientMutex_);
    client_ = std::move(client);
}

CMIOExtensionClientRef CameraSinkStream::client() const {
    std::lock_guard lock(clientMutex_);
    return client_;
}

void CameraSinkStream::startConsuming() {
    if (!client()) {
        return;
    }
    bool wasConsuming = false;
    if (!isConsuming_.compare_exchange_strong(wasConsuming, true)) {
        return;
    }
    const std::uint64_t run = run_.fetch_add(1) + 1;
    sinkLog().log("Sink: start consuming");
    consumeNext(run);
}

void CameraSinkStream::stopConsuming() {
    isConsuming_.store(false);
    sinkLog().log("Sink: stop consuming");
}

void CameraSinkStream::consumeNext(std::uint64_t run) {
    if (!isConsuming_.load() || run != run_.load()) {
        return;
    }
    CMIOExtensionClientRef current = client();
    if (!current) {
        return;
    }
    extensionStream_->consumeSampleBuffer(
        current, [weak = weak_from_this(), run](
                     CMSampleBufferRef sampleBuffer, std::uint64_t sequenceNumber,
                     CMIOExtensionStreamDiscontinuityFlags, bool, std::optional<NSError> error) {
            if (auto stream = weak.lock()) {
                stream->handleConsumed(sampleBuffer, sequenceNumber, error, run);
            }
        });
}

void CameraSinkStream::handleConsumed(const CMSampleBufferRef& sampleBuffer,
                                      std::uint64_t sequenceNumber,
                                      const std::optional<NSError>& error, std::uint64_t run) {
    if (sampleBuffer) {
        // A buffer that arrives after a stop is still passed on and reported.
        if (onBuffer_) {
            onBuffer_(sampleBuffer);
        }
        extensionStream_->notifyScheduledOutputChanged(
            CMIOExtensionScheduledOutput{sequenceNumber, hostTimeOf(sampleBuffer)});
    } else if (error) {
        sinkLog().error("Sink: consume failed: " + error->localizedDescription());
    }
    consumeNext(run);
}

}  // namespace kavorn
