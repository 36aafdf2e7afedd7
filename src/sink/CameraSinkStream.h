// SPDX-License-Identifier: MIT
// The sink stream: pulls the companion app's frames from the host, one request at a time.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "platform/cmio/CMIOExtensionStream.h"
#include "platform/cmio/UUID.h"
#include "platform/media/CMSampleBuffer.h"

namespace kavorn {

class CameraSinkStreamSource;

// Made once by the device and shared: the source and each outstanding request hold it weakly.
//
// Threads: start, stop and the admission of a client run on the host's calling threads; each
// completion, with onBuffer, the scheduled-output report and the next request, runs on the
// thread the host completes the request on. isConsuming is an atomic word and the client sits
// behind a small lock, so none of them races.
class CameraSinkStream : public std::enable_shared_from_this<CameraSinkStream> {
public:
    using BufferCallback = std::function<void(const CMSampleBufferRef&)>;

    static constexpr const char* kLocalizedName = "Quorvelle Sink";

    static std::shared_ptr<CameraSinkStream> create();
    ~CameraSinkStream() = default;
    CameraSinkStream(const CameraSinkStream&) = delete;
    CameraSinkStream& operator=(const CameraSinkStream&) = delete;

    CMIOExtensionStream& extensionStream() const { return *extensionStream_; }
    const std::shared_ptr<CameraSinkStreamSource>& streamSource() const { return streamSource_; }
    const UUID& streamID() const { return streamID_; }

    // Set once, before the stream is added to its device; called with every buffer received.
    void setOnBuffer(BufferCallback onBuffer) { onBuffer_ = std::move(onBuffer); }

    // The client whose buffers are consumed; each admission replaces it, nothing clears it.
    void setClient(CMIOExtensionClientRef client);
    CMIOExtensionClientRef client() const;

    // Switches the request loop on, once a client is admitted. Ignored while consuming.
    void startConsuming();
    // Switches it off; a request already out still completes but asks for no other.
    void stopConsuming();
    bool isConsuming() const { return isConsuming_.load(); }

private:
    CameraSinkStream();
    void consumeNext(std::uint64_t run);
    void handleConsumed(const CMSampleBufferRef& sampleBuffer, std::uint64_t sequenceNumber,
                        const std::optional<NSError>& error, std::uint64_t run);

    std::unique_ptr<CMIOExtensionStream> extensionStream_;
    std::shared_ptr<CameraSinkStreamSource> streamSource_;
    const UUID streamID_;
    BufferCallback onBuffer_;
    std::atomic<bool> isConsuming_{false};
    mutable std::mutex clientMutex_;
    CMIOExtensionClientRef client_;
    // Counts the starts. A completion asks for the next buffer only while the run that issued
    // its request is still the current one, so a stop and a quick start never leave two
    // request chains going.
    std::atomic<std::uint64_t> run_{0};
};

}  // namespace kavorn
