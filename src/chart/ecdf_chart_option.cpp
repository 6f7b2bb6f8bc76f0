#include "chart/ecdf_option.hpp"

#include <array>
#include <cstdint>
#include <string>

namespace tessel::chart {

namespace {

std::string text(std::string_view s) { return std::string(s); }
PositionValue at(std::int64_t pixels) { return pixels; }

// Shared by both axes.
TextStyle axis_name_style(const EcdfTexts& texts) {
    TextStyle style;
    style.color = text(texts.axis_color);
    style.font_family = text(texts.font_mono);
    style.font_size = 14.0;
    return style;
}

AxisLabelOption axis_label(const EcdfTexts& texts) {
    AxisLabelOption label;
    label.font_family = text(texts.font_mono);
    label.font_size = 16.0;
    label.color = text(texts.axis_color);
    return label;
}

AxisTickOption axis_tick(const EcdfTexts& texts) {
    LineStyle line;
    line.color = text(texts.axis_color);
    line.width = 1.25;
    AxisTickOption tick;
    tick.length = 6.0;
    tick.line_style = line;
    return tick;
}

AxisOption value_axis(const EcdfTexts& texts, std::string_view name, double name_gap) {
    AxisOption axis;
    axis.type = AxisType::Value;
    axis.name = text(name);
    axis.name_location = NameLocation::Middle;
    axis.name_text_style = axis_name_style(texts);
    axis.name_gap = name_gap;
    axis.min = at(0);
    axis.axis_label = axis_label(texts);
    axis.axis_tick = axis_tick(texts);
    return axis;
}

TitleOption title(const EcdfTexts& texts) {
    TextStyle style;
    style.color = text(texts.axis_color);
    style.font_weight = std::int32_t{500};
    style.font_family = text(texts.font_serif);
    style.font_size = 32.0;
    TitleOption title;
    title.text = text(texts.title);
    title.text_style = style;
    title.left = at(0);
    title.top = at(0);
    return title;
}

TooltipOption tooltip(const EcdfTexts& texts) {
    TooltipOption tooltip;
    tooltip.trigger = TooltipTrigger::Axis;
    tooltip.padding = std::array<double, 2>{10.0, 14.0};
    tooltip.background_color = text(texts.bg);
    tooltip.border_color = text(texts.axis_color);
    tooltip.border_width = 1.25;
    return tooltip;
}

// Its 24 by 8 item box is the one the legend icons are drawn for.
LegendOption legend(const EcdfTexts& texts) {
    TextStyle style;
    style.color = text(texts.axis_color);
    style.font_family = text(texts.font_sans);
    style.font_size = 15.0;
    LegendOption legend;
    legend.top = at(12);
    legend.right = at(0);
    legend.item_gap = 22.0;
    legend.item_width = 24.0;
    legend.item_height = 8.0;
    legend.text_style = style;
    return legend;
}

GridOption grid() {
    GridOption grid;
    grid.left = at(76);
    grid.top = at(64);
    grid.right = at(28);
    grid.contain_label = false;
    return grid;
}

AxisOption x_axis(const EcdfTexts& texts) {
    AxisOption axis = value_axis(texts, texts.x_name, 38.0);
    axis.split_number = 5.0;
    SplitLineOption split_line;
    split_line.show = false;
    axis.split_line = split_line;
    return axis;
}

// Probabilities: always [0, 1] with a tick every 0.2, whatever the data.
AxisOption y_axis(const EcdfTexts& texts) {
    AxisOption axis = value_axis(texts, "F(X)", 56.0);
    axis.max = at(1);
    axis.interval = 0.2;
    LineStyle grid_line;
    grid_line.color = text(texts.grid_color);
    grid_line.width = 1.0;
    SplitLineOption split_line;
    split_line.line_style = grid_line;
    axis.split_line = split_line;
    return axis;
}

LineSeries line_series(const EcdfSeriesInput& record, std::int64_t z) {
    LineStyle style;
    style.color = record.color;
    style.width = 2.4;
    // Stands in for the dash array that the edits write here.
    if (record.dash) style.type = LineType::Dashed;
    LineSeries series;
    series.name = record.name;
    series.show_symbol = false;
    series.line_style = style;
    series.item_style = ItemStyle{record.color};
    series.smooth = 0.35;
    series.z = z;
    series.data = record.points();
    return series;
}

}  // namespace

ChartOption ecdf_chart_option(std::span<const EcdfSeriesInput> series, const EcdfTexts& texts) {
    ChartOption option;
    option.title.push_back(title(texts));
    option.animation = false;
    option.tooltip = tooltip(texts);
    option.legend = legend(texts);
    option.grid.push_back(grid());
    option.x_axis.push_back(x_axis(texts));
    option.y_axis.push_back(y_axis(texts));
    option.background_color = text(texts.bg);
    const auto n = static_cast<std::int64_t>(series.size());
    for (std::int64_t i = 0; i < n; ++i) option.series.push_back(line_series(series[i], n + 1 - i));
    return option;
}

}  // namespace tessel::chart
