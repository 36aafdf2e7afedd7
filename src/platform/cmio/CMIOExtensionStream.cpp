// SPDX-License-Identifier: MIT
// Host stream object.
#include "platform/cmio/CMIOExtensionStream.h"

#include "platform/cmio/Host.h"

namespace kavorn {

CMIOExtensionStream::CMIOExtensionStream(std::string localizedName, UUID streamID,
                                         CMIOExtensionStreamDirection direction,
                                         CMIOExtensionStreamClockType clockType,
                                         std::weak_ptr<CMIOExtensionStreamSource> source)
    : localizedName_(std::move(localizedName)),
      streamID_(streamID),
      direction_(direction),
      clockType_(clockType),
      source_(std::move(source)) {}

CMIOExtensionStream::~CMIOExtensionStream() {
    Host::current().streamDestroyed(*this);
}

void CMIOExtensionStream::sendSampleBuffer(const CMSampleBufferRef& sampleBuffer,
                                           CMIOExtensionStreamDiscontinuityFlags discontinuity,
                                           std::uint64_t hostTimeInNanoseconds) {
    Host::current().sendSampleBuffer(*this, sampleBuffer, discontinuity, hostTimeInNanoseconds);
}

void CMIOExtensionStream::consumeSampleBuffer(const CMIOExtensionClientRef& client,
                                              CMIOExtensionConsumeCompletion completion) {
    Host::current().consumeSampleBuffer(*this, client, std::move(completion));
}

void CMIOExtensionStream::notifyScheduledOutputChanged(
    const CMIOExtensionScheduledOutput& scheduledOutput) {
    Host::current().notifyScheduledOutputChanged(*this, scheduledOutput);
}

}  // namespace kavorn
