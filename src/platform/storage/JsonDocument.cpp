// SPDX-License-Identifier: MIT
// Bounded JSON parsing.
#include "platform/storage/JsonDocument.h"

namespace kavorn {

namespace {

// The deepest nesting of arrays and objects, counted outside strings; stops counting once past
// the limit.
std::size_t nestingDepth(std::string_view text, std::size_t limit) {
    std::size_t depth = 0;
    std::size_t deepest = 0;
    bool inString = false;
    bool escaped = false;
    for (char c : text) {
        if (inString) {
            if (escaped) {
                escaped = false;
            } else if (c == '\\') {
                escaped = true;
            } else if (c == '"') {
                inString = false;
            }
            continue;
        }
        if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            deepest = std::max(deepest, ++depth);
            if (deepest > limit) {
                return deepest;
            }
        } else if ((c == ']' || c == '}') && depth > 0) {
            --depth;
        }
    }
    return deepest;
}

}  // namespace

std::optional<nlohmann::json> parseJsonObject(std::string_view text, std::size_t maxDepth) {
    if (nestingDepth(text, maxDepth) > maxDepth) {
        return std::nullopt;
    }
    nlohmann::json document =
        nlohmann::json::parse(text.begin(), text.end(), nullptr, /*allow_exceptions=*/false);
    if (!document.is_object()) {
        return std::nullopt;  // includes the discarded value of a parse error
    }
    return document;
}

}  // namespace kavorn
