#pragma once
// Conversion of the typed option into its document: unset members and empty
// lists are omitted, members follow the order of each component.
#include "chart/option_document.hpp"
#include "chart/option_model.hpp"

namespace tessel::chart {

// The root is always an object. The document views the series' points; their
// owner must outlive it.
OptionDocument to_option_document(const ChartOption& option);

}  // namespace tessel::chart
