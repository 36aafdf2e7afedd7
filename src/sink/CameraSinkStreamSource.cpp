// SPDX-License-Identifier: MIT
// Sink stream source.
#include "sink/CameraSinkStreamSource.h"

#include "shared/StreamFormats.h"
#include "sink/CameraSinkStream.h"

namespace kavorn {

std::vector<CMIOExtensionStreamFormat> CameraSinkStreamSource::formats() {
    return StreamFormats::makeFormatList();
}

CMIOExtensionPropertySet CameraSinkStreamSource::availableProperties() {
    return {CMIOExtensionProperty::StreamActiveFormatIndex,
            CMIOExtensionProperty::StreamFrameDuration,
            CMIOExtensionProperty::StreamSinkBufferQueueSize,
            CMIOExtensionProperty::StreamSinkBuffersRequiredForStartup,
            CMIOExtensionProperty::StreamSinkEndOfData};
}

CMIOExtensionStreamProperties CameraSinkStreamSource::streamPropertiesForProperties(
    const CMIOExtensionPropertySet& properties) {
    CMIOExtensionStreamProperties answer;
    if (properties.contains(CMIOExtensionProperty::StreamActiveFormatIndex)) {
        answer.activeFormatIndex = activeFormatIndex_.load();
    }
    if (properties.contains(CMIOExtensionProperty::StreamFrameDuration)) {
        answer.frameDuration = CMTimeMake(1, 30);
    }
    if (properties.contains(CMIOExtensionProperty::StreamSinkBufferQueueSize)) {
        answer.sinkBufferQueueSize = kSinkBufferQueueSize;
    }
    if (properties.contains(CMIOExtensionProperty::StreamSinkBuffersRequiredForStartup)) {
        answer.sinkBuffersRequiredForStartup = kSinkBuffersRequiredForStartup;
    }
    return answer;
}

MaybeError CameraSinkStreamSource::setStreamProperties(
    const CMIOExtensionStreamProperties& properties) {
    if (properties.activeFormatIndex) {
        activeFormatIndex_.store(*properties.activeFormatIndex);
    }
    return std::nullopt;
}

bool CameraSinkStreamSource::authorizedToStartStreamForClient(
    const CMIOExtensionClientRef& client) {
    if (auto stream = stream_.lock()) {
        stream->setClient(client);
    }
    return true;
}

MaybeError CameraSinkStreamSource::startStream() {
    if (auto stream = stream_.lock()) {
        stream->startConsuming();
    }
    return std::nullopt;
}

MaybeError CameraSinkStreamSource::stopStream() {
    if (auto stream = stream_.lock()) {
        stream->stopConsuming();
    }
    return std::nullopt;
}

}  // namespace kavorn
