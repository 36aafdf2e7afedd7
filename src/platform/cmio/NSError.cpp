// SPDX-License-Identifier: MIT
// Error text.
#include "platform/cmio/NSError.h"

namespace kavorn {

std::string NSError::description() const {
    return "Error Domain=" + domain_ + " Code=" + std::to_string(code_) + " \"" +
           localizedDescription_ + "\" UserInfo={NSLocalizedDescription=" + localizedDescription_ +
           "}";
}

}  // namespace kavorn
