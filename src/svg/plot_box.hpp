#pragma once
// The fixed margins of every picture, in pixels from the picture's edges.
#include <cstdint>

namespace tessel::svg {

inline constexpr std::uint32_t kPlotLeft = 72;
inline constexpr std::uint32_t kPlotTop = 64;
inline constexpr std::uint32_t kRightMargin = 28;
inline constexpr std::uint32_t kHeatmapRightMargin = 96;  // room for a colour scale
inline constexpr std::uint32_t kBottomMargin = 58;

}  // namespace tessel::svg
