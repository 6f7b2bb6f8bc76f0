#include <optional>

#include "svg/document_reading.hpp"
#include "svg/draw_series.hpp"
#include "svg/plot_box.hpp"
#include "svg/svg_text.hpp"

namespace tessel::svg {

namespace {

// A cell is an array item of at least three elements: column, row, value;
// more elements are ignored.
struct Cell {
    json::JsonView column;
    json::JsonView row;
    json::JsonView value;
};

std::optional<Cell> cell_of(json::JsonView item) {
    if (!item.is_array()) return std::nullopt;
    const json::JsonArrayView elements = item.as_array();
    if (elements.size() < 3) return std::nullopt;
    auto it = elements.begin();
    const json::JsonView column = *it++;
    const json::JsonView row = *it++;
    return Cell{column, row, *it};
}

// A grid index is a non-negative integer; floats (even whole ones), negative
// integers and other kinds place the cell at index 0.
double grid_index(json::JsonView v) {
    return v.kind() == json::Kind::Unsigned ? static_cast<double>(v.as_unsigned()) : 0.0;
}

double cell_value_maximum(json::JsonArrayView data) {
    double v_max = 0.0;
    for (const json::JsonView item : data) {
        const std::optional<Cell> cell = cell_of(item);
        if (!cell) continue;
        if (const std::optional<double> v = usable_number(cell->value); v && *v > v_max) v_max = *v;
    }
    return v_max < 1.0 ? 1.0 : v_max;
}

// The shade of a level t in [0, 1], from light grey (245,245,245) at 0 to
// blue (55,100,165) at 1: "rgb(R,G,B)" with whole-number components.
void append_level_colour(double t, std::string& out) {
    out += "rgb(";
    append_whole_number(t * -190.0 + 245.0, out);
    out += ',';
    append_whole_number(t * -145.0 + 245.0, out);
    out += ',';
    append_whole_number(t * -80.0 + 245.0, out);
    out += ')';
}

}  // namespace

void draw_heatmap(json::JsonView root, json::JsonView first_series, std::uint32_t width, std::uint32_t height,
                  std::string& out) {
    const std::optional<json::JsonArrayView> data = array_member(first_series, "data");
    if (!data) return;

    const double n_x = axis_category_count(root, "xAxis");
    const double n_y = axis_category_count(root, "yAxis");
    const double v_max = cell_value_maximum(*data);
    const double w = width;
    const double h = height;
    const double cell_width = ((w - kHeatmapRightMargin) - kPlotLeft) / n_x;
    const double cell_height = ((h - kBottomMargin) - kPlotTop) / n_y;

    // Width and height are the same for every cell.
    std::string size_text = "\" width=\"";
    append_two_decimal(cell_width, size_text);
    size_text += "\" height=\"";
    append_two_decimal(cell_height, size_text);
    size_text += "\" fill=\"";

    out.reserve(out.size() + data->size() * 96);  // a cell takes 80 to 90 bytes
    for (const json::JsonView item : *data) {
        const std::optional<Cell> cell = cell_of(item);
        if (!cell) continue;
        const double cx = grid_index(cell->column);
        const double cy = grid_index(cell->row);
        const std::optional<double> v = usable_number(cell->value);
        // At most 1: v_max is at least every usable value.
        double t = v ? *v / v_max : 0.0;
        if (t < 0.0) t = 0.0;

        out += "<rect x=\"";
        append_two_decimal(cx * cell_width + kPlotLeft, out);
        out += "\" y=\"";
        append_two_decimal(cy * cell_height + kPlotTop, out);
        out += size_text;
        append_level_colour(t, out);
        out += "\"/>";
    }
}

}  // namespace tessel::svg
