#pragma once
// The legend icon of a line series: its dash pattern drawn as a horizontal
// line across the legend's 24 by 8 item box, as an ECharts "path://" text.
#include <cstdint>
#include <span>
#include <string>

namespace tessel::chart {

inline constexpr std::uint32_t legend_icon_width = 24;
inline constexpr std::uint32_t legend_icon_y = 4;

// Dashes and gaps alternate from `dash`, repeated until the box is crossed;
// a dash reaching past the box is cut at its edge. An empty pattern or one
// whose entries are all 0 draws the solid line, as a canvas does with such a
// pattern: there is nothing to repeat, so no pattern can keep the drawing
// from ending, and no pattern is refused.
std::string legend_icon_path(std::span<const std::uint32_t> dash);

}  // namespace tessel::chart
