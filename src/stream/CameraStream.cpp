// SPDX-License-Identifier: MIT
// Output stream frame pump.
#include "stream/CameraStream.h"

#include <chrono>

#include "platform/log/FatalError.h"
#include "platform/log/StandardOutput.h"
#include "platform/media/CMFormatDescription.h"
#include "platform/media/HostTimeClock.h"
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
    // Consumer tracking queues its start-of-stream report on timerQueue here.
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
    // Consumer tracking queues its end-of-stream report on timerQueue here.
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
    // Consumer tracking refreshes its report here when more than 5 s have passed.
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
