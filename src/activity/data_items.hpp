#pragma once
// Builders of the data items that the finalizers write, each object with its
// members in the specified order and its arrays at their final size.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "activity/option_document.hpp"
#include "json/value.hpp"

namespace tessel::activity {

// {"color": color} or {"color": color, "opacity": opacity}.
inline json::JsonValue item_style(std::string_view color) {
    json::JsonObject style;
    style.reserve(1);
    style.insert_or_assign("color", json::JsonValue::string(std::string(color)));
    return json::JsonValue::object(std::move(style));
}

inline json::JsonValue item_style(std::string_view color, double opacity) {
    json::JsonObject style;
    style.reserve(2);
    style.insert_or_assign("color", json::JsonValue::string(std::string(color)));
    style.insert_or_assign("opacity", number_from_float(opacity));
    return json::JsonValue::object(std::move(style));
}

// {"value": hundredths of percentage, "itemStyle": style, "count": count};
// "count" is left out when absent.
inline json::JsonValue percentage_item(double percentage, json::JsonValue style, std::optional<std::int64_t> count) {
    json::JsonObject item;
    item.reserve(count ? 3 : 2);
    item.insert_or_assign("value", number_from_float(round_hundredths(percentage)));
    item.insert_or_assign("itemStyle", std::move(style));
    if (count) item.insert_or_assign("count", json::JsonValue::from_signed(*count));
    return json::JsonValue::object(std::move(item));
}

// [column, row, hundredths of value].
inline json::JsonValue heatmap_cell(std::size_t row, std::size_t column, double value) {
    json::JsonArray cell;
    cell.reserve(3);
    cell.push_back(json::JsonValue::from_unsigned(column));
    cell.push_back(json::JsonValue::from_unsigned(row));
    cell.push_back(number_from_float(round_hundredths(value)));
    return json::JsonValue::array(std::move(cell));
}

}  // namespace tessel::activity
