#include "chart/ecdf_option.hpp"

#include "chart/ecdf_option_edits.hpp"
#include "chart/option_to_json.hpp"

namespace tessel::chart {

OptionTree build_ecdf_option_tree(std::span<const EcdfSeriesInput> series, const EcdfTexts& texts) {
    OptionTree document = to_option_tree(ecdf_chart_option(series, texts));
    apply_ecdf_option_edits(document.root, series, texts);
    return document;
}

}  // namespace tessel::chart
