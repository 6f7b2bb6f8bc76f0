#pragma once
// The activity heatmap finalizer (the body of
// finalize_activity_heatmap_option_json once its arguments are converted).
#include <string>
#include <string_view>

#include "common/strided.hpp"

namespace tessel::activity {

// Writes the data item [c, r, hundredths of value] of every non-NaN cell, in
// logical row-major order, into the "data" member of the first series; with
// `update_visual_max`, also sets "visualMap"."max" to the larger of the
// largest unrounded cell and 1.0 (100.0 when no cell holds a number).
// Returns the encoded document. The matrix may be in any layout and misaligned.
std::string finalize_heatmap_option(std::string_view option_json, const StridedMatrix& matrix,
                                    bool update_visual_max);

}  // namespace tessel::activity
