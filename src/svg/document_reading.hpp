#pragma once
// Lenient reading of an option document: a member of the wrong kind counts as
// absent, so no look-up can fail and any document can be drawn.
#include <cmath>
#include <optional>
#include <string_view>

#include "json/value.hpp"

namespace tessel::svg {

// The string value of member `key` of `value`, or nullptr when `value` is
// not an object, lacks the member, or the member is not a string.
inline const json::JsonString* string_member(const json::JsonValue* value, std::string_view key) {
    const json::JsonValue* m = value != nullptr ? value->member(key) : nullptr;
    return m != nullptr && m->is_string() ? &m->as_string() : nullptr;
}

// The array value of member `key` of `value`, or nullptr as above.
inline const json::JsonArray* array_member(const json::JsonValue* value, std::string_view key) {
    const json::JsonValue* m = value != nullptr ? value->member(key) : nullptr;
    return m != nullptr && m->is_array() ? &m->as_array() : nullptr;
}

// A number of any kind as a double, when that double is finite.
inline std::optional<double> usable_number(const json::JsonValue& value) {
    if (!value.is_number()) return std::nullopt;
    const double x = value.number_as_double();
    if (!std::isfinite(x)) return std::nullopt;
    return x;
}

// Count of categories of an axis member ("xAxis", "yAxis") of the root: the
// length of its "data" array, at least 1; 1 when the axis is not an object
// with array "data" (an array of axes included).
inline double axis_category_count(const json::JsonValue& root, std::string_view axis) {
    const json::JsonArray* data = array_member(root.member(axis), "data");
    return data == nullptr || data->empty() ? 1.0 : static_cast<double>(data->size());
}

}  // namespace tessel::svg
