#pragma once
// The activity bar chart finalizer (the body of
// finalize_activity_bar_option_json once its arguments are converted).
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tessel::activity {

// Writes one data item per category into the "data" member of the first
// series and returns the encoded document. Item i is
// {"value": hundredths of percentages[i] (null when not finite),
//  "itemStyle": {"color": colors[i]}, "count": counts[i]}.
//
// Checks, in order: the three lengths agree (tessel::ValueError
// "percentages, counts, and colors must have equal length"), then the text
// decodes (decode_option_document in option_targets.hpp); a missing, non-array or empty "series", or a first
// entry that is neither null nor an object, is an internal failure.
std::string finalize_bar_option(std::string_view option_json, std::span<const double> percentages,
                                std::span<const std::int64_t> counts, std::span<const std::string_view> colors);

}  // namespace tessel::activity
