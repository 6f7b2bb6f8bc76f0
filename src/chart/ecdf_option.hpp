#pragma once
// The complete ECharts option of an ECDF chart: one line series per curve in a
// fixed design, where only the texts, colours and fonts come from the caller.
#include <span>
#include <string>

#include "chart/ecdf_input.hpp"
#include "chart/option_tree.hpp"
#include "chart/option_model.hpp"

namespace tessel::chart {

// The typed option, before the edits that it cannot express. Series i gets
// z = n + 1 - i, so the first curve is drawn on top. The series' data views
// the records' points.
ChartOption ecdf_chart_option(std::span<const EcdfSeriesInput> series, const EcdfTexts& texts);

// The typed option converted and edited (see ecdf_option_edits.hpp). The
// document views the records' points: they must outlive it.
OptionTree build_ecdf_option_tree(std::span<const EcdfSeriesInput> series, const EcdfTexts& texts);

}  // namespace tessel::chart
