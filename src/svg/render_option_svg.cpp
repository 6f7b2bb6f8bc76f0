#include "svg/render_option_svg.hpp"

#include "common/errors.hpp"
#include "json/reader.hpp"
#include "svg/document_reading.hpp"
#include "svg/draw_series.hpp"
#include "svg/frame.hpp"

namespace tessel::svg {

namespace {

json::JsonValue decode_document(std::string_view option_json) {
    try {
        return json::read_json(option_json);
    } catch (const json::ReadError& e) {
        throw ValueError("failed to decode option JSON: " + e.text());
    }
}

// Comparison charts have no static picture.
void refuse_comparison_chart(const json::JsonValue& root) {
    const json::JsonString* chart_type = string_member(root.member("_meta"), "chartType");
    if (chart_type != nullptr && *chart_type == "stvd_comparison") {
        throw ValueError("SVG rendering is not supported for chart type " + chart_type->str());
    }
}

const json::JsonArray& require_series_array(const json::JsonValue& root) {
    const json::JsonArray* series = array_member(&root, "series");
    if (series == nullptr) throw ValueError("option JSON must contain a series array");
    return *series;
}

// A custom series anywhere refuses the whole picture.
void refuse_custom_series(const json::JsonArray& series) {
    for (const json::JsonValue& s : series) {
        const json::JsonString* type = string_member(&s, "type");
        if (type != nullptr && *type == "custom") {
            throw ValueError("SVG rendering is not supported for custom series");
        }
    }
}

enum class ChartKind { Line, Scatter, Bar, Heatmap };

// Decided by the first series alone; anything unrecognised draws as lines.
ChartKind chart_kind(const json::JsonArray& series) {
    const json::JsonString* type = series.empty() ? nullptr : string_member(&series.front(), "type");
    if (type == nullptr) return ChartKind::Line;
    if (*type == "heatmap") return ChartKind::Heatmap;
    if (*type == "bar") return ChartKind::Bar;
    if (*type == "scatter") return ChartKind::Scatter;
    return ChartKind::Line;
}

}  // namespace

std::string render_option_svg(std::string_view option_json, std::uint32_t width, std::uint32_t height) {
    const json::JsonValue root = decode_document(option_json);
    refuse_comparison_chart(root);
    const json::JsonArray& series = require_series_array(root);
    refuse_custom_series(series);

    std::string out;
    // Drawn data takes about as many bytes as the JSON it comes from.
    out.reserve(option_json.size() + 1024);
    write_frame(frame_settings(root), width, height, out);
    switch (chart_kind(series)) {
        case ChartKind::Line: draw_line_scatter(series, width, height, false, out); break;
        case ChartKind::Scatter: draw_line_scatter(series, width, height, true, out); break;
        case ChartKind::Bar: draw_bars(root, series, width, height, out); break;
        case ChartKind::Heatmap: draw_heatmap(root, series.front(), width, height, out); break;
    }
    out += "</svg>";
    return out;
}

}  // namespace tessel::svg
