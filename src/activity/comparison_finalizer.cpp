#include "activity/comparison_finalizer.hpp"

#include <cstring>
#include <vector>

#include "activity/data_item_text.hpp"
#include "activity/option_targets.hpp"
#include "common/errors.hpp"

namespace tessel::activity {

namespace {

void check_dimensions(const StridedMatrix& percentages, std::span<const CountRow> counts,
                      std::span<const std::string_view> colors, std::span<const double> opacities) {
    bool agree = counts.size() == percentages.rows && colors.size() == percentages.cols &&
                 opacities.size() == percentages.rows;
    for (std::size_t i = 0; agree && i < counts.size(); ++i) agree = counts[i].size() == percentages.cols;
    if (!agree) {
        throw ValueError("comparison percentages, counts, colors, and opacities have incompatible dimensions");
    }
}

}  // namespace

std::string finalize_comparison_option(std::string_view option_json, const StridedMatrix& percentages,
                                       std::span<const CountRow> counts, std::span<const std::string_view> colors,
                                       std::span<const double> opacities) {
    check_dimensions(percentages, counts, colors, opacities);
    const json::JsonDocument document = decode_option_document(option_json);
    const json::JsonArrayView series = require_series_array(document);
    if (series.size() != percentages.rows) {
        throw ValueError("comparison percentages must have one row per series");
    }

    // [{"value":…,"itemStyle":{"color":…,"opacity":…},"count":…},…] of row i.
    const auto write_row = [&](std::size_t i, json::TextWriter& out, char* p) {
        // ',"opacity":…}', the end of every item style of the row.
        char style_end[16 + json::TextWriter::kScalarRoom] = ",\"opacity\":";
        const std::size_t style_end_size =
            static_cast<std::size_t>(json::TextWriter::float_text(opacities[i], style_end + 11) - style_end);
        style_end[style_end_size] = '}';
        const CountRow& row_counts = counts[i];
        p = out.put(p, '[');
        for (std::size_t j = 0; j < percentages.cols; ++j) {
            p = out.room(p, kItemRoom);
            if (j != 0) *p++ = ',';
            p = item_start(p, percentages.at(i, j));
            p = out.room(out.string(colors[j], p), kItemRoom);
            std::memcpy(p, style_end, style_end_size + 1);
            p += style_end_size + 1;
            if (row_counts[j]) {
                p = literal(p, ",\"count\":");
                p = json::TextWriter::signed_text(*row_counts[j], p);
            }
            *p++ = '}';
        }
        return out.put(p, ']');
    };
    struct RowText {
        const decltype(write_row)* write;
        std::size_t row;
        char* operator()(json::TextWriter& out, char* p) const { return (*write)(row, out, p); }
    };
    std::vector<RowText> rows;
    rows.reserve(series.size());  // the edits borrow them: no reallocation
    json::DocumentEdits edits;
    for (const json::JsonView entry : series) {
        rows.push_back({&write_row, rows.size()});
        member_or_insert(edits, entry, "data", rows.back());
    }
    // About 72 bytes per item besides its colour and opacity.
    std::size_t colors_size = 0;
    for (const std::string_view color : colors) colors_size += color.size();
    return json::to_json(document, edits,
                         option_json.size() + percentages.rows * (colors_size + percentages.cols * (72 + 8)));
}

}  // namespace tessel::activity
