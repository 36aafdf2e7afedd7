// SPDX-License-Identifier: MIT
// Output stream frame pump.
#include "stream/CameraStream.h"

#include <chrono>

#include "platform/log/FatalError.h"
#include "platform/log/StandardOutput.h"
#include "platform/media/CMFormatDescription.h"
#include "platform/media/HostTimeClock.h"
#include "shared/SharedState.h"
#include "shared/StreamFormats.h"
#include "stream/CameraStreamSource.h"
#include "stream/HostTimeNanoseconds.h"
#include "stream/PlaceholderRenderer.h"

namespace kavorn {

std::shared_ptr<CameraStream> CameraStream::create() {
    // The constructor is private; make_shared cannot reach it.
    std::shared_ptr<CameraStream> stream(new CameraStream());
    stream->streamSource_->setStream(stream);
    return stream;
}

CameraStream::CameraStream() : timerQueue_(kTimerQueueLabel), streamID_(UUID::random()) {
    // Refuse to run at all on a platform that cannot describe the stream's format.
    auto description =
        CMVideoFormatDescriptionCreate(StreamFormats::kPixelFormat, formatWidth_, formatHeight_);
    if (!description.succeeded()) {
        fatalError("CameraStream: Failed to create format description");
    }
    streamSource_ = std::make_shared<CameraStreamSource>();
    extensionStream_ = std::make_unique<CMIOExtensionStream>(
        kLocalizedName, streamID_, CMIOExtensionStreamDirection::Source,
        CMIOExtensionStreamClockType::HostTime, streamSource_);
}

CameraStream::~CameraStream() {
    std::lock_guard lock(startStopMutex_);
    if (timer_) {
        timer_->cancel();
    }
}

void CameraStream::startStreaming() {
    std::lock_guard lock(startStopMutex_);
    if (isStreaming_.load()) {
        return;
    }
    isStreaming_.store(true);
    sequenceNumber_.store(0);
    // Queued work holds the stream strongly: the report is always written.
    timerQueue_.async([self = shared_from_this()] { self->publishConsumerState(); });
    StandardOutput::writeLine("CameraStream: Starting stream");

    timer_ = std::make_unique<DispatchSourceTimer>(timerQueue_);
    timer_->schedule(DispatchTime::now(), kTimerInterval, std::chrono::nanoseconds{0});
    timer_->setEventHandler([weak = weak_from_this()] {
        if (auto stream = weak.lock()) {
            stream->timerFired();
        }
    });
    timer_->resume();
}

void CameraStream::stopStreaming() {
    std::lock_guard lock(startStopMutex_);
    if (!isStreaming_.load()) {
        return;
    }
    isStreaming_.store(false);
    timerQueue_.async([self = shared_from_this()] {
        self->clients_.removeAll();
        self->publishConsumerState();
    });
    StandardOutput::writeLine("CameraStream: Stopping stream");
    if (timer_) {
        timer_->cancel();
        timer_.reset();
    }
}

void CameraStream::timerFired() {
    if (!isStreaming_.load()) {
        return;
    }
    // Keeps a running stream's report younger than the readers' 15 s limit, and drops clients
    // whose processes ended without disconnecting.
    if (CACurrentMediaTime() - lastConsumerReport_ > kConsumerRefreshPeriod) {
        clients_.prune(&ConsumerClientList::processIsAlive);
        publishConsumerState();
    }
    if (CACurrentMediaTime() - lastPushedAt_.load() < kPlaceholderHoldOff) {
        return;  // a sink frame went out recently
    }
    sendPlaceholder();
}

void CameraStream::sendPlaceholder() {
    if (!placeholder_) {
        placeholder_ = makePlaceholderPixelBuffer(formatWidth_, formatHeight_);
        if (!placeholder_) {
            return;  // the next tick asks again
        }
    }
    sendPixelBuffer(placeholder_);
}

void CameraStream::sendPixelBuffer(const CVPixelBufferRef& pixelBuffer) {
    const CMTime now = CMClockGetTime(CMClockGetHostTimeClock());
    const CMSampleTimingInfo timing{CMTimeMake(1, 30), now, kCMTimeInvalid};

    auto description = CMVideoFormatDescriptionCreateForImageBuffer(pixelBuffer);
    if (!description.succeeded()) {
        StandardOutput::writeLine(
            "CameraStream: Failed to create format description from pixel buffer");
        return;
    }
    auto sampleBuffer =
        CMSampleBufferCreateReadyWithImageBuffer(pixelBuffer, description.object, timing);
    if (!sampleBuffer.succeeded()) {
        StandardOutput::writeLine("CameraStream: Failed to create sample buffer");
        return;
    }
    extensionStream_->sendSampleBuffer(
        sampleBuffer.object, kCMIOExtensionStreamDiscontinuityFlagNone, hostTimeInNanoseconds(now));
    sequenceNumber_.fetch_add(1);
}

void CameraStream::publishConsumerState() {
    lastConsumerReport_ = CACurrentMediaTime();
    SharedState::shared().publishConsumerReport(isStreaming_.load(), clients_.signingIDs());
}

void CameraStream::clientAuthorized(const CMIOExtensionClientRef& client) {
    if (!client) {
        return;
    }
    timerQueue_.async([self = shared_from_this(), id = client->clientID, pid = client->pid,
                       signingID = client->signingID] {
        self->clients_.add(id, pid, signingID);
        if (self->isStreaming_.load()) {
            self->publishConsumerState();
        }
    });
}

void CameraStream::clientDisconnected(const CMIOExtensionClientRef& client) {
    if (!client) {
        return;
    }
    timerQueue_.async([self = shared_from_this(), id = client->clientID] {
        const ConsumerClientList before = self->clients_;
        self->clients_.remove(id);
        if (self->isStreaming_.load() && self->clients_ != before) {
            self->publishConsumerState();
        }
    });
}

void CameraStream::forwardSinkFrame(const CMSampleBufferRef& sampleBuffer) {
    if (!isStreaming_.load()) {
        return;
    }
    lastPushedAt_.store(CACurrentMediaTime());
    const CMTime now = CMClockGetTime(CMClockGetHostTimeClock());
    extensionStream_->sendSampleBuffer(sampleBuffer, kCMIOExtensionStreamDiscontinuityFlagNone,
                                       hostTimeInNanoseconds(now));
    sequenceNumber_.fetch_add(1);
}

}  // namespace kavorn
