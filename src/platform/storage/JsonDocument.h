// SPDX-License-Identifier: MIT
// Parsing JSON that comes from another process: bounded, never throwing.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include <nlohmann/json.hpp>

namespace kavorn {

// The text as a JSON object, or none when it is not one: not JSON, another kind of value, or
// nested deeper than `maxDepth` arrays and objects. Any thread.
std::optional<nlohmann::json> parseJsonObject(std::string_view text, std::size_t maxDepth = 32);

}  // namespace kavorn
