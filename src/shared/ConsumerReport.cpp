// SPDX-License-Identifier: MIT
// Consumer report encoding.
#include "shared/ConsumerReport.h"

#include <cmath>

#include "platform/storage/JsonDocument.h"

namespace kavorn {

std::optional<ConsumerReport::CodingKeys> ConsumerReport::codingKey(std::string_view text) {
    for (CodingKeys key : {CodingKeys::consumed, CodingKeys::at, CodingKeys::clients}) {
        if (text == stringValue(key)) {
            return key;
        }
    }
    return std::nullopt;
}

const char* ConsumerReport::stringValue(CodingKeys key) {
    switch (key) {
        case CodingKeys::consumed:
            return "consumed";
        case CodingKeys::at:
            return "at";
        case CodingKeys::clients:
            return "clients";
    }
    return "";
}

std::optional<std::string> ConsumerReport::encoded() const {
    if (!std::isfinite(at)) {
        return std::nullopt;
    }
    // nlohmann keeps object members sorted; the report's order is its own, so it is built
    // member by member.
    std::string text = "{\"consumed\":";
    text += consumed ? "true" : "false";
    text += ",\"at\":";
    const bool whole = at == std::trunc(at) && std::fabs(at) < 9.0e15;
    text +=
        whole ? nlohmann::json(static_cast<std::int64_t>(at)).dump() : nlohmann::json(at).dump();
    if (clients) {
        text += ",\"clients\":";
        text += nlohmann::json(*clients).dump();
    }
    text += "}";
    return text;
}

std::optional<ConsumerReport> ConsumerReport::decode(std::string_view json) {
    auto document = parseJsonObject(json);
    if (!document) {
        return std::nullopt;
    }
    ConsumerReport report;
    auto consumed = document->find(stringValue(CodingKeys::consumed));
    if (consumed == document->end() || !consumed->is_boolean()) {
        return std::nullopt;
    }
    report.consumed = consumed->get<bool>();
    auto at = document->find(stringValue(CodingKeys::at));
    if (at == document->end() || !at->is_number()) {
        return std::nullopt;
    }
    report.at = at->get<double>();
    auto clients = document->find(stringValue(CodingKeys::clients));
    if (clients != document->end() && !clients->is_null()) {
        if (!clients->is_array()) {
            return std::nullopt;
        }
        std::vector<std::string> list;
        for (const auto& client : *clients) {
            if (!client.is_string()) {
                return std::nullopt;
            }
            list.push_back(client.get<std::string>());
        }
        report.clients = std::move(list);
    }
    return report;
}

}  // namespace kavorn
