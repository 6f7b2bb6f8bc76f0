#pragma once
// An option document ready to be edited and written: the JSON tree of every
// component, with the data of the line series kept flat beside it.
//
// Element i of the root "series" array holds its "data" member in its place
// (so edits that append or move members keep the right order) with a null
// stand-in value; the writer writes series_data[i] there instead. Hundreds of
// thousands of points thus never become tree nodes.
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

}  // namespace tessel::chart
