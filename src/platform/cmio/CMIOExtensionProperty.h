// SPDX-License-Identifier: MIT
// Property keys of providers, devices and streams.
#pragma once

#include <cstdint>
#include <set>

namespace kavorn {

enum class CMIOExtensionProperty : std::uint8_t {
    ProviderName,
    ProviderManufacturer,
    DeviceModel,
    DeviceTransportType,
    StreamActiveFormatIndex,
    StreamFrameDuration,
    StreamSinkBufferQueueSize,
    StreamSinkBuffersRequiredForStartup,
    StreamSinkEndOfData,
};

using CMIOExtensionPropertySet = std::set<CMIOExtensionProperty>;

}  // namespace kavorn
