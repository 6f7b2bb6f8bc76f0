#pragma once
// Conversion of the typed option into its document: unset members and empty
// lists are omitted, members follow the order of each component.
#include "chart/option_tree.hpp"
#include "chart/option_model.hpp"

namespace tessel::chart {

// The root is always an object. The document views the series' points; their
// owner must outlive it.
OptionTree to_option_tree(const ChartOption& option);

}  // namespace tessel::chart
