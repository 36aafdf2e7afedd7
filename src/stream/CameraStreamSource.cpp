// SPDX-License-Identifier: MIT
// Output stream source.
#include "stream/CameraStreamSource.h"

#include "shared/StreamFormats.h"
#include "stream/CameraStream.h"

namespace kavorn {

std::vector<CMIOExtensionStreamFormat> CameraStreamSource::formats() {
    return StreamFormats::makeFormatList();
}

CMIOExtensionPropertySet CameraStreamSource::availableProperties() {
    return {CMIOExtensionProperty::StreamActiveFormatIndex,
            CMIOExtensionProperty::StreamFrameDuration};
}

CMIOExtensionStreamProperties CameraStreamSource::streamPropertiesForProperties(
    const CMIOExtensionPropertySet& properties) {
    CMIOExtensionStreamProperties answer;
    if (properties.contains(CMIOExtensionProperty::StreamActiveFormatIndex)) {
        answer.activeFormatIndex = activeFormatIndex_.load();
    }
    if (properties.contains(CMIOExtensionProperty::StreamFrameDuration)) {
        answer.frameDuration = CMTimeMake(1, 30);
    }
    return answer;
}

MaybeError CameraStreamSource::setStreamProperties(
    const CMIOExtensionStreamProperties& properties) {
    if (properties.activeFormatIndex) {
        activeFormatIndex_.store(*properties.activeFormatIndex);
    }
    return std::nullopt;
}

bool CameraStreamSource::authorizedToStartStreamForClient(const CMIOExtensionClientRef& client) {
    // Admission never depends on the stream; it only records the client.
    if (auto stream = stream_.lock()) {
        stream->clientAuthorized(client);
    }
    return true;
}

MaybeError CameraStreamSource::startStream() {
    if (auto stream = stream_.lock()) {
        stream->startStreaming();
    }
    return std::nullopt;
}

MaybeError CameraStreamSource::stopStream() {
    if (auto stream = stream_.lock()) {
        stream->stopStreaming();
    }
    return std::nullopt;
}

}  // namespace kavorn
