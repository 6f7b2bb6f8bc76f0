#include "chart/option_to_json.hpp"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

namespace tessel::chart {

namespace {

using json::JsonArray;
using json::JsonObject;
using json::JsonValue;

std::string_view enum_text(FontWeightName v) {
    static constexpr std::string_view names[] = {"normal", "bold", "bolder", "lighter"};
    return names[static_cast<int>(v)];
}
std::string_view enum_text(TooltipTrigger v) {
    static constexpr std::string_view names[] = {"item", "axis", "none"};
    return names[static_cast<int>(v)];
}
std::string_view enum_text(AxisType v) {
    static constexpr std::string_view names[] = {"value", "category", "time", "log"};
    return names[static_cast<int>(v)];
}
std::string_view enum_text(NameLocation v) {
    static constexpr std::string_view names[] = {"start", "middle", "center", "end"};
    return names[static_cast<int>(v)];
}
std::string_view enum_text(LineType v) {
    static constexpr std::string_view names[] = {"solid", "dashed", "dotted"};
    return names[static_cast<int>(v)];
}

// Declared up front: the member lists below pick the overload by type.
JsonValue to_json(bool b);
JsonValue to_json(double x);
JsonValue to_json(std::int64_t i);
JsonValue to_json(std::int32_t i);
JsonValue to_json(const std::string& text);
template <class Enum>
    requires std::is_enum_v<Enum>
JsonValue to_json(Enum v);
template <std::size_t N>
JsonValue to_json(const std::array<double, N>& numbers);
template <class... Alternatives>
JsonValue to_json(const std::variant<Alternatives...>& v);
JsonValue to_json(const TextStyle& style);
JsonValue to_json(const LineStyle& style);
JsonValue to_json(const ItemStyle& style);
JsonValue to_json(const TitleOption& title);
JsonValue to_json(const TooltipOption& tooltip);
JsonValue to_json(const LegendOption& legend);
JsonValue to_json(const GridOption& grid);
JsonValue to_json(const AxisLabelOption& label);
JsonValue to_json(const AxisTickOption& tick);
JsonValue to_json(const SplitLineOption& split_line);
JsonValue to_json(const AxisOption& axis);

// Builds one object; members are appended in call order and unset ones
// skipped. The members are gathered first and the object made once: a
// repeated key would keep its first place and take its last value, as with
// insert_or_assign, without a search per member.
class Members {
public:
    // The gathered vector becomes the object's storage: room for the handful
    // of members an option object has, as JsonObject gives when appending.
    Members() { members_.reserve(8); }

    template <class T>
    Members& add(std::string_view key, const std::optional<T>& value) {
        if (value) put(key, to_json(*value));
        return *this;
    }
    Members& add(std::string_view key, JsonValue value) {
        put(key, std::move(value));
        return *this;
    }
    template <class T>
    Members& add_list(std::string_view key, const std::vector<T>& items) {
        if (!items.empty()) put(key, list(items));
        return *this;
    }
    // One item stands alone; several make an array.
    template <class T>
    Members& add_one_or_list(std::string_view key, const std::vector<T>& items) {
        if (items.size() == 1) return add(key, to_json(items.front()));
        return add_list(key, items);
    }
    JsonValue done() { return JsonValue::object(JsonObject::from_members(std::move(members_))); }

    template <class T>
    static JsonValue list(const std::vector<T>& items) {
        JsonArray array;
        array.reserve(items.size());
        for (const T& item : items) array.push_back(to_json(item));
        return JsonValue::array(std::move(array));
    }

private:
    void put(std::string_view key, JsonValue value) {
        members_.push_back(json::JsonMember{std::string(key), std::move(value)});
    }

    std::vector<json::JsonMember> members_;
};

JsonValue to_json(bool b) { return JsonValue::boolean(b); }
JsonValue to_json(double x) { return JsonValue::from_double(x); }
JsonValue to_json(std::int64_t i) { return JsonValue::from_signed(i); }
JsonValue to_json(std::int32_t i) { return JsonValue::from_signed(i); }
JsonValue to_json(const std::string& text) { return JsonValue::string(text); }

template <class Enum>
    requires std::is_enum_v<Enum>
JsonValue to_json(Enum v) {
    return JsonValue::string(std::string(enum_text(v)));
}

template <std::size_t N>
JsonValue to_json(const std::array<double, N>& numbers) {
    JsonArray array;
    array.reserve(N);
    for (double x : numbers) array.push_back(JsonValue::from_double(x));
    return JsonValue::array(std::move(array));
}

template <class... Alternatives>
JsonValue to_json(const std::variant<Alternatives...>& v) {
    return std::visit([](const auto& alternative) { return to_json(alternative); }, v);
}

JsonValue to_json(const TextStyle& style) {
    return Members{}
        .add("color", style.color)
        .add("fontWeight", style.font_weight)
        .add("fontFamily", style.font_family)
        .add("fontSize", style.font_size)
        .done();
}

JsonValue to_json(const LineStyle& style) {
    return Members{}
        .add("color", style.color)
        .add("width", style.width)
        .add("type", style.type)
        .add("opacity", style.opacity)
        .done();
}

JsonValue to_json(const ItemStyle& style) { return Members{}.add("color", style.color).done(); }

JsonValue to_json(const TitleOption& title) {
    return Members{}
        .add("text", title.text)
        .add("textStyle", title.text_style)
        .add("left", title.left)
        .add("top", title.top)
        .add("right", title.right)
        .add("bottom", title.bottom)
        .done();
}

JsonValue to_json(const TooltipOption& tooltip) {
    return Members{}
        .add("trigger", tooltip.trigger)
        .add("padding", tooltip.padding)
        .add("backgroundColor", tooltip.background_color)
        .add("borderColor", tooltip.border_color)
        .add("borderWidth", tooltip.border_width)
        .done();
}

JsonValue to_json(const LegendOption& legend) {
    return Members{}
        .add("left", legend.left)
        .add("top", legend.top)
        .add("right", legend.right)
        .add("bottom", legend.bottom)
        .add("itemGap", legend.item_gap)
        .add("itemWidth", legend.item_width)
        .add("itemHeight", legend.item_height)
        .add("textStyle", legend.text_style)
        .done();
}

JsonValue to_json(const GridOption& grid) {
    return Members{}
        .add("left", grid.left)
        .add("top", grid.top)
        .add("right", grid.right)
        .add("bottom", grid.bottom)
        .add("containLabel", grid.contain_label)
        .done();
}

JsonValue to_json(const AxisLabelOption& label) {
    return Members{}
        .add("show", label.show)
        .add("fontFamily", label.font_family)
        .add("fontSize", label.font_size)
        .add("color", label.color)
        .done();
}

JsonValue to_json(const AxisTickOption& tick) {
    return Members{}.add("show", tick.show).add("length", tick.length).add("lineStyle", tick.line_style).done();
}

JsonValue to_json(const SplitLineOption& split_line) {
    return Members{}.add("show", split_line.show).add("lineStyle", split_line.line_style).done();
}

JsonValue to_json(const AxisOption& axis) {
    return Members{}
        .add("type", axis.type)
        .add("show", axis.show)
        .add("name", axis.name)
        .add("nameLocation", axis.name_location)
        .add("nameTextStyle", axis.name_text_style)
        .add("nameGap", axis.name_gap)
        .add("min", axis.min)
        .add("max", axis.max)
        .add("splitNumber", axis.split_number)
        .add("interval", axis.interval)
        .add("axisLabel", axis.axis_label)
        .add("axisTick", axis.axis_tick)
        .add("splitLine", axis.split_line)
        .done();
}

// The "data" member gets a stand-in; its points go to the document's side table.
JsonValue to_json(const LineSeries& series) {
    Members members;
    members.add("type", JsonValue::string("line"))
        .add("name", series.name)
        .add("showSymbol", series.show_symbol)
        .add("lineStyle", series.line_style)
        .add("itemStyle", series.item_style)
        .add("smooth", series.smooth)
        .add("z", series.z);
    if (!series.data.empty()) members.add("data", JsonValue());
    return members.done();
}

}  // namespace

OptionTree to_option_tree(const ChartOption& option) {
    OptionTree document;
    Members root;
    root.add_list("title", option.title)
        .add("animation", option.animation)
        .add("tooltip", option.tooltip)
        .add("legend", option.legend)
        .add_list("grid", option.grid)
        .add_one_or_list("xAxis", option.x_axis)
        .add_one_or_list("yAxis", option.y_axis)
        .add("backgroundColor", option.background_color);
    if (!option.series.empty()) {
        JsonArray series;
        for (const LineSeries& line : option.series) {
            series.push_back(to_json(line));
            document.series_data.push_back(line.data);
        }
        root.add("series", JsonValue::array(std::move(series)));
    }
    document.root = root.done();
    return document;
}

}  // namespace tessel::chart
