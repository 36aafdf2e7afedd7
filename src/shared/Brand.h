// SPDX-License-Identifier: MIT
// The brand word and the camera's names, current and former.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kavorn {

struct Brand {
    static constexpr const char* name = "Quorvelle";
    static constexpr const char* cameraName = "Quorvelle Camera";
    static const std::vector<std::string> legacyCameraNames;

    // The current name first, then the former ones. A new list on each call.
    static std::vector<std::string> allCameraNames();

    // Whether a camera of this name is ours: the name, lower-cased, holds "quorvelle" or the
    // former code name "kavorn" anywhere.
    static bool isOwnCamera(std::string_view named);
};

}  // namespace kavorn
