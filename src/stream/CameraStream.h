// SPDX-License-Identifier: MIT
// The output stream: sends sink frames on at once, and the placeholder picture when none came.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "platform/cmio/CMIOExtensionStream.h"
#include "platform/cmio/UUID.h"
#include "platform/dispatch/DispatchQueue.h"
#include "platform/dispatch/DispatchSourceTimer.h"
#include "platform/media/CMSampleBuffer.h"
#include "platform/media/CVPixelBuffer.h"
#include "shared/ConsumerClientList.h"

namespace kavorn {

class CameraDevice;
class CameraStreamSource;

// Made once by the device and shared: the source and the frame timer hold it weakly.
//
// Threads: startStreaming() and stopStreaming() run on the host's calling thread and are
// serialized with each other. forwardSinkFrame() runs on the thread that completes the sink's
// request. The tick, sendPlaceholder(), sendPixelBuffer() and all consumer tracking run on
// timerQueue only, which alone touches the placeholder, the client list and the report time.
// isStreaming, lastPushedAt and sequenceNumber are shared by all of them and are atomic words.
class CameraStream : public std::enable_shared_from_this<CameraStream> {
public:
    static constexpr double kFrameRate = 30.0;
    static constexpr double kTimerInterval = 1.0 / 30.0;
    static constexpr double kPlaceholderHoldOff = 0.5;
    static constexpr double kConsumerRefreshPeriod = 5.0;
    static constexpr const char* kLocalizedName = "Quorvelle Video";
    static constexpr const char* kTimerQueueLabel = "com.vennardholtdigitalco.kavorn.camera.timer";

    // Stops the process with "CameraStream: Failed to create format description" when the
    // platform cannot describe 1920x1080 BGRA.
    static std::shared_ptr<CameraStream> create();
    ~CameraStream();
    CameraStream(const CameraStream&) = delete;
    CameraStream& operator=(const CameraStream&) = delete;

    CMIOExtensionStream& extensionStream() const { return *extensionStream_; }
    const std::shared_ptr<CameraStreamSource>& streamSource() const { return streamSource_; }
    const UUID& streamID() const { return streamID_; }
    std::int32_t formatWidth() const { return formatWidth_; }
    std::int32_t formatHeight() const { return formatHeight_; }
    void setDevice(std::weak_ptr<CameraDevice> device) { device_ = std::move(device); }

    // Starts the frame timer, first tick at once, then every 1/30 s. Ignored while running.
    void startStreaming();
    // Cancels the timer. Ignored while stopped.
    void stopStreaming();
    // Sends a frame from the sink on at once, unchanged, while running; drops it otherwise.
    void forwardSinkFrame(const CMSampleBufferRef& sampleBuffer);

    // Consumer tracking. Both read the client's values on the calling thread, queue the change
    // of the client list on timerQueue and return at once; the report is republished when the
    // change matters while the stream runs.
    void clientAuthorized(const CMIOExtensionClientRef& client);
    void clientDisconnected(const CMIOExtensionClientRef& client);

    // timerQueue only.
    void timerFired();
    void sendPlaceholder();
    void sendPixelBuffer(const CVPixelBufferRef& pixelBuffer);
    // Writes the consumer report: whether the stream runs, and the listed applications.
    void publishConsumerState();
    const CVPixelBufferRef& placeholder() const { return placeholder_; }
    const ConsumerClientList& clients() const { return clients_; }
    double lastConsumerReport() const { return lastConsumerReport_; }

    bool isStreaming() const { return isStreaming_.load(); }
    std::uint64_t sequenceNumber() const { return sequenceNumber_.load(); }
    // Media-clock seconds when the last sink frame went out; 0 before the first.
    double lastPushedAt() const { return lastPushedAt_.load(); }
    DispatchQueue& timerQueue() { return timerQueue_; }

private:
    CameraStream();

    std::unique_ptr<CMIOExtensionStream> extensionStream_;
    std::weak_ptr<CameraDevice> device_;
    std::shared_ptr<CameraStreamSource> streamSource_;
    std::atomic<bool> isStreaming_{false};
    std::atomic<std::uint64_t> sequenceNumber_{0};
    // Start and stop take this around the state change and the timer, so that a start racing
    // a stop can neither leak a timer nor run two.
    std::mutex startStopMutex_;
    std::unique_ptr<DispatchSourceTimer> timer_;
    DispatchQueue timerQueue_;
    const UUID streamID_;
    const std::int32_t formatWidth_ = 1920;
    const std::int32_t formatHeight_ = 1080;
    [[maybe_unused]] const double frameRate_ = kFrameRate;
    [[maybe_unused]] double lastTimestamp_ = 0;
    std::atomic<double> lastPushedAt_{0};
    // Media-clock seconds of the last consumer report; timerQueue only.
    double lastConsumerReport_ = 0;
    // The admitted clients; timerQueue only.
    ConsumerClientList clients_;
    // timerQueue only: drawn at the first tick that needs it, then reused for good.
    CVPixelBufferRef placeholder_;
};

}  // namespace kavorn
