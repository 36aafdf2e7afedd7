// SPDX-License-Identifier: MIT
// The consumer report: whether the camera is consumed, since when, and by which applications.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/storage/WallClock.h"

namespace kavorn {

// A value, as written to and read from "consumer.json": one compact JSON object with the
// members "consumed" (boolean), "at" (seconds since 2001-01-01 00:00:00 UTC) and "clients"
// (array of strings; absent or null reads as no list).
struct ConsumerReport {
    enum class CodingKeys { consumed, at, clients };

    bool consumed = false;
    CFAbsoluteTime at = 0;
    std::optional<std::vector<std::string>> clients;

    // The key a member text names, by exact comparison; none for any other text.
    static std::optional<CodingKeys> codingKey(std::string_view text);
    static const char* stringValue(CodingKeys key);

    // Members in the order consumed, at, clients; "clients" is left out only when absent.
    // A whole-second "at" is written without a fraction. None when "at" is not finite.
    std::optional<std::string> encoded() const;
    // None when the text is not such an object: "consumed" or "at" missing, or any of the three
    // of another type. Members it does not know are ignored.
    static std::optional<ConsumerReport> decode(std::string_view json);

    friend bool operator==(const ConsumerReport&, const ConsumerReport&) = default;
};

}  // namespace kavorn
