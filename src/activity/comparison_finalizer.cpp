#include "activity/comparison_finalizer.hpp"

#include "activity/data_items.hpp"
#include "activity/data_text.hpp"
#include "activity/option_copy.hpp"
#include "activity/option_document.hpp"
#include "common/errors.hpp"

namespace tessel::activity {

namespace {

struct ComparisonData {
    const StridedMatrix& percentages;
    std::span<const CountRow> counts;
    std::span<const std::string_view> colors;
    std::span<const double> opacities;
};

void check_dimensions(const ComparisonData& data) {
    const std::size_t series = data.percentages.rows;
    const std::size_t categories = data.percentages.cols;
    bool agree = data.counts.size() == series && data.colors.size() == categories && data.opacities.size() == series;
    for (std::size_t i = 0; agree && i < data.counts.size(); ++i) agree = data.counts[i].size() == categories;
    if (!agree) {
        throw ValueError("comparison percentages, counts, colors, and opacities have incompatible dimensions");
    }
}

// [{"value":…,"itemStyle":{"color":…,"opacity":…},"count":…},…] of row i.
void write_comparison_data(const void* context, std::size_t i, TextWriter& text) {
    const ComparisonData& data = *static_cast<const ComparisonData*>(context);
    // The end of every item style of the row: ',"opacity":…}'.
    std::string style_end = ",\"opacity\":";
    {
        TextWriter opacity_text(style_end);
        opacity_text.float_number(data.opacities[i]);
        opacity_text.put('}');
    }
    // Room for an item besides its colour and style end: the punctuation, a
    // direct value (24 bytes) and a count (20).
    constexpr std::size_t kItemRoom = 96;
    const CountRow& counts = data.counts[i];
    text.put('[');
    for (std::size_t j = 0; j < data.percentages.cols; ++j) {
        const std::string_view color = data.colors[j];
        const double percentage = data.percentages.at(i, j);
        double z;
        if (text::direct_hundredths(percentage, z) && text::needs_no_escape(color)) {
            // The usual item, written in one piece.
            char* p = text.reserve(kItemRoom + color.size() + style_end.size());
            if (j != 0) *p++ = ',';
            p = text::literal(p, "{\"value\":");
            p = text::hundredths_digits(p, z);
            p = text::literal(p, ",\"itemStyle\":{\"color\":\"");
            p = text::copy(p, color.data(), color.size());
            *p++ = '"';
            p = text::copy(p, style_end.data(), style_end.size());
            if (counts[j]) {
                p = text::literal(p, ",\"count\":");
                p = text::decimal(p, *counts[j]);
            }
            *p++ = '}';
            text.commit(p);
            continue;
        }
        if (j != 0) text.put(',');
        text.put("{\"value\":");
        text.hundredths(percentage);
        text.put(",\"itemStyle\":{\"color\":");
        text.string(color);
        text.put(style_end);
        if (counts[j]) {
            text.put(",\"count\":");
            text.signed_number(*counts[j]);
        }
        text.put('}');
    }
    text.put(']');
}

}  // namespace

std::string finalize_comparison_option(std::string_view option_json, const StridedMatrix& percentages,
                                       std::span<const CountRow> counts, std::span<const std::string_view> colors,
                                       std::span<const double> opacities) {
    const ComparisonData data{percentages, counts, colors, opacities};
    check_dimensions(data);
    OptionEdits edits;
    edits.entries = OptionEdits::Entries::Every;
    edits.series_count = percentages.rows;
    edits.write_data = write_comparison_data;
    edits.context = &data;
    std::string out;
    // Room for the usual output (the text grows if it needs more): about 72
    // bytes per item besides its colour and opacity.
    std::size_t colors_size = 0;
    for (const std::string_view color : colors) colors_size += color.size();
    out.reserve(option_json.size() + percentages.rows * (colors_size + percentages.cols * (72 + 8)));
    if (copy_option_with_edits(option_json, edits, out)) return out;
    return finalize_comparison_option_by_document(option_json, percentages, counts, colors, opacities);
}

std::string finalize_comparison_option_by_document(std::string_view option_json, const StridedMatrix& percentages,
                                                   std::span<const CountRow> counts,
                                                   std::span<const std::string_view> colors,
                                                   std::span<const double> opacities) {
    check_dimensions(ComparisonData{percentages, counts, colors, opacities});
    json::JsonValue document = decode_option_document(option_json);
    json::JsonArray& series = require_series_array(document);
    if (series.size() != percentages.rows) {
        throw ValueError("comparison percentages must have one row per series");
    }

    const std::size_t categories = percentages.cols;
    for (std::size_t i = 0; i < percentages.rows; ++i) {
        json::JsonArray data;
        data.reserve(categories);
        for (std::size_t j = 0; j < categories; ++j) {
            data.push_back(percentage_item(percentages.at(i, j), item_style(colors[j], opacities[i]), counts[i][j]));
        }
        member_or_insert(series[i], "data") = json::JsonValue::array(std::move(data));
    }
    return encode_option_document(document);
}

}  // namespace tessel::activity
