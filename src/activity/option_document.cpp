#include "activity/option_document.hpp"

#include <cmath>
#include <string>

#include "common/errors.hpp"
#include "json/reader.hpp"
#include "json/writer.hpp"

namespace tessel::activity {

using json::JsonArray;
using json::JsonValue;

JsonValue decode_option_document(std::string_view option_json) {
    JsonValue document;
    try {
        document = json::read_json(option_json);
    } catch (const json::ReadError& e) {
        throw ValueError("failed to decode option JSON: " + e.text());
    }
    if (!document.is_object()) throw ValueError("option JSON root must be an object");
    return document;
}

JsonValue& member_or_insert(JsonValue& target, std::string_view key) {
    if (target.is_null()) target = JsonValue::object();
    if (!target.is_object()) {
        std::string message = "cannot access key \"";
        message += key;
        message += "\" in JSON ";
        message += json::kind_name(target.kind());
        throw InternalFailure(message);
    }
    return target.as_object().member_or_insert(key);
}

JsonValue& element_at(JsonValue& target, std::size_t position) {
    if (target.is_array()) {
        JsonArray& elements = target.as_array();
        if (position < elements.size()) return elements[position];
        throw InternalFailure("cannot access index " + std::to_string(position) + " of JSON array of length " +
                              std::to_string(elements.size()));
    }
    std::string message = "cannot access index " + std::to_string(position) + " of JSON ";
    message += json::kind_name(target.kind());
    throw InternalFailure(message);
}

JsonArray& require_series_array(JsonValue& document) {
    JsonValue& series = member_or_insert(document, "series");
    if (!series.is_array()) throw ValueError("option JSON must contain a series array");
    return series.as_array();
}

JsonValue number_from_float(double x) noexcept { return JsonValue::from_double(x); }

std::string encode_option_document(const JsonValue& document) { return json::to_json(document); }

}  // namespace tessel::activity
