// SPDX-License-Identifier: MIT
// The stream format list.
#include "shared/StreamFormats.h"

#include "platform/media/CMFormatDescription.h"

namespace kavorn {

std::vector<CMIOExtensionStreamFormat> StreamFormats::makeFormatList() {
    // Only whether a description came back matters, not the status.
    auto description = CMVideoFormatDescriptionCreate(kPixelFormat, kWidth, kHeight);
    if (!description.object) {
        return {};
    }
    return {CMIOExtensionStreamFormat{description.object, CMTimeMake(1, 30), CMTimeMake(1, 60),
                                      std::nullopt}};
}

}  // namespace kavorn
