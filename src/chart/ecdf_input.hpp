#pragma once
// The converted arguments of the ECDF option builder, owned by the call.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "chart/flat_points.hpp"
#include "common/uninitialized_buffer.hpp"

namespace tessel::chart {

// One curve. Its points are held flat: point i has the numbers
// coords[point_ends[i-1] .. point_ends[i]) (from 0 for the first point).
struct EcdfSeriesInput {
    std::string name;
    // Filled in place by the conversion, so their growth does not zero them.
    UninitializedBuffer<double> coords;
    UninitializedBuffer<std::size_t> point_ends;
    std::string color;
    std::optional<std::vector<std::uint32_t>> dash;  // alternating dash and gap lengths

    FlatPoints points() const noexcept { return {coords, point_ends}; }
};

// The texts of the chart, used unchanged.
struct EcdfTexts {
    std::string_view title;
    std::string_view x_name;
    std::string_view x_unit;
    std::string_view x_label;
    std::string_view bg;
    std::string_view axis_color;
    std::string_view grid_color;
    std::string_view font_sans;
    std::string_view font_serif;
    std::string_view font_mono;
};

}  // namespace tessel::chart
