// SPDX-License-Identifier: MIT
// Errors the host hands back: a domain, a code and a localized description.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kavorn {

class NSError {
public:
    NSError(std::string domain, std::int64_t code, std::string localizedDescription)
        : domain_(std::move(domain)),
          code_(code),
          localizedDescription_(std::move(localizedDescription)) {}

    const std::string& domain() const { return domain_; }
    std::int64_t code() const { return code_; }
    const std::string& localizedDescription() const { return localizedDescription_; }
    // The whole error as text:
    //   Error Domain=<domain> Code=<code> "<description>"
    //   UserInfo={NSLocalizedDescription=<description>}
    std::string description() const;

    friend bool operator==(const NSError&, const NSError&) = default;

private:
    std::string domain_;
    std::int64_t code_;
    std::string localizedDescription_;
};

// What host calls that can fail return: absent on success.
using MaybeError = std::optional<NSError>;

}  // namespace kavorn
