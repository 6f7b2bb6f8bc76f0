#include "chart/ecdf_option_edits.hpp"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "chart/legend_icon.hpp"
#include "common/errors.hpp"

namespace tessel::chart {

namespace {

using json::JsonArray;
using json::JsonObject;
using json::JsonValue;

constexpr std::string_view extra_css_text = "border-radius:0; box-shadow:none; min-width:210px;";

JsonValue text(std::string_view s) { return JsonValue::string(std::string(s)); }

JsonValue integers(std::initializer_list<std::uint64_t> values) {
    JsonArray array;
    array.reserve(values.size());
    for (std::uint64_t v : values) array.push_back(JsonValue::from_unsigned(v));
    return JsonValue::array(std::move(array));
}

void put_members(std::vector<json::JsonMember>&) {}

template <class... Rest>
void put_members(std::vector<json::JsonMember>& members, std::string_view key, JsonValue value, Rest&&... rest) {
    members.push_back(json::JsonMember{std::string(key), std::move(value)});
    put_members(members, std::forward<Rest>(rest)...);
}

// object("k1", v1, "k2", v2, ...), members in argument order (the keys are
// distinct).
template <class... Members>
JsonValue object(Members&&... members) {
    std::vector<json::JsonMember> gathered;
    gathered.reserve(sizeof...(Members) / 2);
    put_members(gathered, std::forward<Members>(members)...);
    return JsonValue::object(JsonObject::from_members(std::move(gathered)));
}

// A member that the typed option always has; without it the builder is at fault.
JsonObject& object_member(JsonObject& parent, std::string_view key) {
    JsonValue* value = parent.find(key);
    if (value == nullptr) throw InternalFailure("the ECDF option has no \"" + std::string(key) + "\"");
    return value->as_object();
}

JsonValue axis_line(std::string_view axis_color) {
    return object("lineStyle", object("color", text(axis_color), "width", JsonValue::from_double(1.5)));
}

void edit_tooltip(JsonObject& tooltip, const EcdfTexts& texts) {
    tooltip.insert_or_assign("extraCssText", text(extra_css_text));
    tooltip.insert_or_assign("textStyle", object("color", text(texts.axis_color)));
    tooltip.insert_or_assign(
        "axisPointer",
        object("type", text("line"), "lineStyle",
               object("color", text(texts.axis_color), "type", integers({2, 4}), "width", JsonValue::from_unsigned(1),
                      "opacity", JsonValue::from_double(0.55)),
               "label", object("show", JsonValue::boolean(false))));
}

void edit_y_axis(JsonObject& axis, const EcdfTexts& texts) {
    axis.insert_or_assign("axisLine", axis_line(texts.axis_color));
    axis.insert_or_assign("nameRotate", JsonValue::from_unsigned(90));
    object_member(object_member(axis, "splitLine"), "lineStyle").insert_or_assign("type", integers({2, 5}));
}

void edit_series(JsonValue& element, const EcdfSeriesInput& record) {
    const std::span<const std::uint32_t> dash =
        record.dash ? std::span<const std::uint32_t>(*record.dash) : std::span<const std::uint32_t>();
    JsonObject& series = element.as_object();
    series.insert_or_assign("legendIcon", text(legend_icon_path(dash)));
    series.insert_or_assign("emphasis", object("lineStyle", object("width", JsonValue::from_double(2.4))));

    JsonObject& line_style = object_member(series, "lineStyle");
    line_style.insert_or_assign("cap", text("round"));
    line_style.insert_or_assign("join", text("round"));
    if (!record.dash) return;  // the typed option gave such a line no "type"
    JsonArray pattern;
    for (std::uint32_t d : dash) pattern.push_back(JsonValue::from_unsigned(d));
    line_style.insert_or_assign("type", JsonValue::array(std::move(pattern)));
}

}  // namespace

void apply_ecdf_option_edits(JsonValue& root, std::span<const EcdfSeriesInput> records, const EcdfTexts& texts) {
    JsonObject& option = root.as_object();
    option.insert_or_assign("textStyle", object("fontFamily", text(texts.font_sans), "color", text(texts.axis_color)));
    option.insert_or_assign("_meta", object("xUnit", text(texts.x_unit), "xLabel", text(texts.x_label)));
    // The one grid is written as the object itself.
    JsonValue& grid = option.member_or_insert("grid");
    JsonValue only = std::move(grid.as_array().at(0));
    grid = std::move(only);
    edit_tooltip(object_member(option, "tooltip"), texts);
    object_member(option, "xAxis").insert_or_assign("axisLine", axis_line(texts.axis_color));
    edit_y_axis(object_member(option, "yAxis"), texts);
    // No series member when there are no records.
    if (JsonValue* series = option.find("series")) {
        JsonArray& elements = series->as_array();
        for (std::size_t i = 0; i < records.size(); ++i) edit_series(elements.at(i), records[i]);
    }
}

}  // namespace tessel::chart
