#pragma once
// The settings of the ECDF chart that the typed option cannot express (root
// text style, tooltip extras, axis lines, dash arrays, line caps, legend
// icons, the grid as an object, the private "_meta"), made as edits of its
// document.
#include <span>

#include "chart/ecdf_input.hpp"
#include "json/value.hpp"

namespace tessel::chart {

// Edits in place the document that the typed option of the same records
// converts to (a member of another shape is tessel::InternalFailure). Record i
// belongs to element i of the root "series" array; only its dash pattern is
// used.
// Removing a line style's "type" moves that object's last member into its
// place, which the member order of the output shows.
void apply_ecdf_option_edits(json::JsonValue& root, std::span<const EcdfSeriesInput> records,
                             const EcdfTexts& texts);

}  // namespace tessel::chart
