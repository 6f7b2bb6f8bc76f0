#pragma once
// The data of a chart as SVG elements, appended to the picture's buffer. None
// of these can fail: members of the wrong kind count as absent and data items
// that do not fit are skipped. W and H are the picture size; coordinates are
// computed from them as doubles without any stop at 0.
#include <cstdint>
#include <string>

#include "json/document.hpp"

namespace tessel::svg {

// Line and scatter charts: one polyline per "line" series (or series without
// a string "type") and circles for "scatter" series; a scatter chart draws
// every series as circles. The domains cover the points of all series.
void draw_line_scatter(json::JsonArrayView series, std::uint32_t width, std::uint32_t height,
                       bool scatter_chart, std::string& out);

// Bar charts: one rectangle per data item with a value, every series drawn
// as bars side by side within each category band.
void draw_bars(json::JsonView root, json::JsonArrayView series, std::uint32_t width,
               std::uint32_t height, std::string& out);

// Heatmaps: one rectangle per cell of the first series, shaded by its value.
void draw_heatmap(json::JsonView root, json::JsonView first_series, std::uint32_t width,
                  std::uint32_t height, std::string& out);

}  // namespace tessel::svg
