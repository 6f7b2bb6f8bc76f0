#pragma once
// A typed ECharts option: one structure per component, every member optional.
//
// Members are declared in the order in which they are written; the
// conversion (option_to_json.hpp) omits unset members and empty lists. Only
// the components and members that the charts of this module set are modelled:
// a new member goes into its component at its ECharts position, and into the
// conversion at the same place.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "chart/flat_points.hpp"
#include "chart/option_values.hpp"

namespace tessel::chart {

struct TextStyle {
    std::optional<ColorValue> color;
    std::optional<FontWeight> font_weight;
    std::optional<FontFamily> font_family;
    std::optional<double> font_size;
};

struct LineStyle {
    std::optional<ColorValue> color;
    std::optional<double> width;
    std::optional<LineType> type;
    std::optional<double> opacity;
};

struct ItemStyle {
    std::optional<ColorValue> color;
};

struct TitleOption {
    std::optional<std::string> text;
    std::optional<TextStyle> text_style;
    std::optional<PositionValue> left;
    std::optional<PositionValue> top;
    std::optional<PositionValue> right;
    std::optional<PositionValue> bottom;
};

struct TooltipOption {
    std::optional<TooltipTrigger> trigger;
    std::optional<PaddingValue> padding;
    std::optional<ColorValue> background_color;
    std::optional<ColorValue> border_color;
    std::optional<double> border_width;
};

struct LegendOption {
    std::optional<PositionValue> left;
    std::optional<PositionValue> top;
    std::optional<PositionValue> right;
    std::optional<PositionValue> bottom;
    std::optional<double> item_gap;
    std::optional<double> item_width;
    std::optional<double> item_height;
    std::optional<TextStyle> text_style;
};

struct GridOption {
    std::optional<PositionValue> left;
    std::optional<PositionValue> top;
    std::optional<PositionValue> right;
    std::optional<PositionValue> bottom;
    std::optional<bool> contain_label;
};

struct AxisLabelOption {
    std::optional<bool> show;
    std::optional<FontFamily> font_family;
    std::optional<double> font_size;
    std::optional<ColorValue> color;
};

struct AxisTickOption {
    std::optional<bool> show;
    std::optional<double> length;
    std::optional<LineStyle> line_style;
};

struct SplitLineOption {
    std::optional<bool> show;
    std::optional<LineStyle> line_style;
};

struct AxisOption {
    std::optional<AxisType> type;
    std::optional<bool> show;
    std::optional<std::string> name;
    std::optional<NameLocation> name_location;
    std::optional<TextStyle> name_text_style;
    std::optional<double> name_gap;
    std::optional<PositionValue> min;
    std::optional<PositionValue> max;
    std::optional<double> split_number;
    std::optional<double> interval;
    std::optional<AxisLabelOption> axis_label;
    std::optional<AxisTickOption> axis_tick;
    std::optional<SplitLineOption> split_line;
};

// The series kind "line"; its "type" member is always written first.
struct LineSeries {
    std::optional<std::string> name;
    std::optional<bool> show_symbol;
    std::optional<LineStyle> line_style;
    // Legend icons, tooltip markers and hover symbols take this colour, not
    // the line's: without it they fall back to the palette.
    std::optional<ItemStyle> item_style;
    std::optional<Smoothing> smooth;
    // ECharts takes a 32-bit z; held wider so that a z computed from a
    // series count is always exact.
    std::optional<std::int64_t> z;
    // Each item is written as an array of float numbers (null when not
    // finite). Viewed, not owned: the points' owner outlives the option.
    FlatPoints data;
};

struct ChartOption {
    std::vector<TitleOption> title;  // always written as an array
    std::optional<bool> animation;
    std::optional<TooltipOption> tooltip;
    std::optional<LegendOption> legend;
    std::vector<GridOption> grid;    // always written as an array
    std::vector<AxisOption> x_axis;  // one axis is written as the object itself
    std::vector<AxisOption> y_axis;  // likewise
    std::optional<ColorValue> background_color;
    std::vector<LineSeries> series;
};

}  // namespace tessel::chart
