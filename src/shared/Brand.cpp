// SPDX-License-Identifier: MIT
// Brand names.
#include "shared/Brand.h"

namespace kavorn {

const std::vector<std::string> Brand::legacyCameraNames{"Kavorn Camera"};

std::vector<std::string> Brand::allCameraNames() {
    std::vector<std::string> names{cameraName};
    names.insert(names.end(), legacyCameraNames.begin(), legacyCameraNames.end());
    return names;
}

namespace {

// Lower-cases UTF-8 text as far as matching the two ASCII words needs. Under the Unicode case
// mapping, the only character outside ASCII whose lower case is one of their letters is the
// Kelvin sign (U+212A, lower case "k"); every other character can never be part of a match
// and is kept as it is.
std::string lowercasedForMatching(std::string_view text) {
    std::string lowered;
    lowered.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte >= 'A' && byte <= 'Z') {
            lowered.push_back(static_cast<char>(byte - 'A' + 'a'));
        } else if (text.substr(i, 3) == "\xE2\x84\xAA") {  // U+212A KELVIN SIGN
            lowered.push_back('k');
            i += 2;
        } else {
            lowered.push_back(static_cast<char>(byte));
        }
    }
    return lowered;
}

}  // namespace

bool Brand::isOwnCamera(std::string_view named) {
    const std::string lowered = lowercasedForMatching(named);
    if (lowered.find("quorvelle") != std::string::npos) {
        return true;
    }
    return lowered.find("kavorn") != std::string::npos;
}

}  // namespace kavorn
