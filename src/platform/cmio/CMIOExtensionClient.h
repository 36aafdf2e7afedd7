// SPDX-License-Identifier: MIT
// A client process of the camera, as the host identifies it.
#pragma once

#include <sys/types.h>

#include <memory>
#include <optional>
#include <string>

#include "platform/cmio/UUID.h"

namespace kavorn {

// Made by the host; immutable. Shared by everyone who holds on to it.
struct CMIOExtensionClient {
    UUID clientID;
    pid_t pid = 0;
    // The application's identifier (portal or Flatpak app id, or its binary), when known.
    std::optional<std::string> signingID;
};

using CMIOExtensionClientRef = std::shared_ptr<const CMIOExtensionClient>;

}  // namespace kavorn
