#include "svg/render_option_svg.hpp"

#include <optional>

#include "common/errors.hpp"
#include "json/document.hpp"
#include "json/reader.hpp"  // ReadError
#include "svg/document_reading.hpp"
#include "svg/draw_series.hpp"
#include "svg/frame.hpp"

namespace tessel::svg {

namespace {

// Read only, never edited: a document rather than a tree.
json::JsonDocument decode_document(std::string_view option_json) {
    try {
        return json::read_json_document(option_json);
    } catch (const json::ReadError& e) {
        throw ValueError("failed to decode option JSON: " + e.text());
    }
}

// Comparison charts have no static picture.
void refuse_comparison_chart(json::JsonView root) {
    const std::optional<std::string_view> chart_type = string_member(root.member("_meta"), "chartType");
    if (chart_type == "stvd_comparison") {
        throw ValueError("SVG rendering is not supported for chart type " + std::string(*chart_type));
    }
}

json::JsonArrayView require_series_array(json::JsonView root) {
    const std::optional<json::JsonArrayView> series = array_member(root, "series");
    if (!series) throw ValueError("option JSON must contain a series array");
    return *series;
}

// A custom series anywhere refuses the whole picture.
void refuse_custom_series(json::JsonArrayView series) {
    for (const json::JsonView s : series) {
        if (string_member(s, "type") == "custom") {
            throw ValueError("SVG rendering is not supported for custom series");
        }
    }
}

enum class ChartKind { Line, Scatter, Bar, Heatmap };

// Decided by the first series alone; anything unrecognised draws as lines.
ChartKind chart_kind(json::JsonArrayView series) {
    const std::optional<std::string_view> type =
        series.empty() ? std::nullopt : string_member(series.front(), "type");
    if (!type) return ChartKind::Line;
    if (*type == "heatmap") return ChartKind::Heatmap;
    if (*type == "bar") return ChartKind::Bar;
    if (*type == "scatter") return ChartKind::Scatter;
    return ChartKind::Line;
}

}  // namespace

std::string render_option_svg(std::string_view option_json, std::uint32_t width, std::uint32_t height) {
    const json::JsonDocument document = decode_document(option_json);
    const json::JsonView root = document.root();
    refuse_comparison_chart(root);
    const json::JsonArrayView series = require_series_array(root);
    refuse_custom_series(series);

    std::string out;
    out.reserve(1024);  // the frame; each drawer reserves for its items
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
