#pragma once
// The activity comparison chart finalizer (the body of
// finalize_activity_comparison_option_json once its arguments are converted).
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/strided.hpp"

namespace tessel::activity {

// The counts of one series, one entry per category; nullopt means no count.
using CountRow = std::vector<std::optional<std::int64_t>>;

// Writes, for every series i, the data items of row i of `percentages`
// (S rows, K columns, any layout) into the "data" member of series entry i:
// {"value": hundredths of percentages(i, j), "itemStyle": {"color":
// colors[j], "opacity": opacities[i]}, "count": counts[i][j] when present}.
//
// Checks, in order: dimensions (tessel::ValueError "comparison percentages,
// counts, colors, and opacities have incompatible dimensions"), decoding
// (decode_option_document in option_targets.hpp), the series array (require_series_array), one entry per row
// (tessel::ValueError "comparison percentages must have one row per
// series"). A series entry that is neither null nor an object is an
// internal failure.
std::string finalize_comparison_option(std::string_view option_json, const StridedMatrix& percentages,
                                       std::span<const CountRow> counts, std::span<const std::string_view> colors,
                                       std::span<const double> opacities);

}  // namespace tessel::activity
