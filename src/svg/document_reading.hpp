#pragma once
// Lenient reading of an option document: a member of the wrong kind counts as
// absent, so no look-up can fail and any document can be drawn.
#include <cmath>
#include <optional>
#include <string_view>

#include "json/document.hpp"

namespace tessel::svg {

// The string value of member `key` of `value`, or nothing when `value` is
// absent or not an object, lacks the member, or the member is not a string.
inline std::optional<std::string_view> string_member(json::JsonView value, std::string_view key) {
    const json::JsonView m = value.member(key);
    if (!m.is_string()) return std::nullopt;
    return m.as_string();
}

// The array value of member `key` of `value`, or nothing as above.
inline std::optional<json::JsonArrayView> array_member(json::JsonView value, std::string_view key) {
    const json::JsonView m = value.member(key);
    if (!m.is_array()) return std::nullopt;
    return m.as_array();
}

// A number of any kind as a double, when that double is finite.
inline std::optional<double> usable_number(json::JsonView value) {
    if (!value.is_number()) return std::nullopt;
    const double x = value.number_as_double();
    if (!std::isfinite(x)) return std::nullopt;
    return x;
}

// Count of categories of an axis member ("xAxis", "yAxis") of the root: the
// length of its "data" array, at least 1; 1 when the axis is not an object
// with array "data" (an array of axes included).
inline double axis_category_count(json::JsonView root, std::string_view axis) {
    const std::optional<json::JsonArrayView> data = array_member(root.member(axis), "data");
    return !data || data->empty() ? 1.0 : static_cast<double>(data->size());
}

}  // namespace tessel::svg
