#pragma once
// An option document ready to be edited and written: the JSON tree of every
// component, with the data of the line series kept flat beside it.
//
// Element i of the root "series" array holds its "data" member in its place
// (so edits that append or move members keep the right order) with a null
// stand-in value; the writer writes series_data[i] there instead. Hundreds of
// thousands of points thus never become tree nodes.
#include <string>
#include <vector>

#include "chart/flat_points.hpp"
#include "json/value.hpp"

namespace tessel::chart {

struct OptionTree {
    json::JsonValue root;
    // One entry per element of the root "series" array; empty for a series
    // without "data".
    std::vector<FlatPoints> series_data;
};

// Appends the compact JSON text of the document: the text that writing the
// tree would give with each series' "data" stand-in replaced by its points.
// Callers that want the text in a buffer of their own use OptionText.
void write_option_tree(const OptionTree& document, std::string& out);
std::string to_json_text(const OptionTree& document);

}  // namespace tessel::chart
