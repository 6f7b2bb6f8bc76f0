#include "activity/option_targets.hpp"

#include <string>

#include "common/errors.hpp"
#include "json/reader.hpp"

namespace tessel::activity {

using json::JsonView;

json::JsonDocument decode_option_document(std::string_view option_json) {
    json::JsonDocument document;
    try {
        document = json::read_json_document(option_json);
    } catch (const json::ReadError& e) {
        throw ValueError("failed to decode option JSON: " + e.text());
    }
    if (!document.root().is_object()) throw ValueError("option JSON root must be an object");
    return document;
}

namespace {

std::string_view kind_name_of(JsonView target) noexcept {
    return target ? json::kind_name(target.kind()) : json::kind_name(json::Kind::Null);
}

}  // namespace

JsonView element_at(JsonView target, std::size_t position) {
    if (target.is_array()) {
        const json::JsonArrayView elements = target.as_array();
        if (position < elements.size()) return elements.at(position);
        throw InternalFailure("cannot access index " + std::to_string(position) + " of JSON array of length " +
                              std::to_string(elements.size()));
    }
    std::string message = "cannot access index " + std::to_string(position) + " of JSON ";
    message += kind_name_of(target);
    throw InternalFailure(message);
}

void member_or_insert(json::DocumentEdits& edits, JsonView target, std::string_view key, json::ValueText text) {
    if (target.is_object()) {
        if (const JsonView member = target.member(key)) return edits.replace(member, text);
        return edits.append(target, key, text);
    }
    if (target.is_null()) return edits.replace(target, text, key);
    std::string message = "cannot access key \"";
    message += key;
    message += "\" in JSON ";
    message += kind_name_of(target);
    throw InternalFailure(message);
}

json::JsonArrayView require_series_array(const json::JsonDocument& document) {
    const JsonView series = document.root().member("series");
    if (!series.is_array()) throw ValueError("option JSON must contain a series array");
    return series.as_array();
}

}  // namespace tessel::activity
