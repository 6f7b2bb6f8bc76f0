#include <algorithm>
#include <optional>

#include "svg/document_reading.hpp"
#include "svg/draw_series.hpp"
#include "svg/plot_box.hpp"
#include "svg/svg_text.hpp"

namespace tessel::svg {

namespace {

// The bar value of a data item: its member "value" when it is an object,
// otherwise the item itself; present only when that is a usable number.
std::optional<double> bar_value(json::JsonView item) {
    return usable_number(item.is_object() ? item.member("value") : item);
}

// The greatest bar value of all series, never below 1 (negative values do not
// lower it, and an all-small chart still fills at most its height).
double bar_value_maximum(json::JsonArrayView series) {
    double v_max = 0.0;
    for (const json::JsonView s : series) {
        const std::optional<json::JsonArrayView> data = array_member(s, "data");
        if (!data) continue;
        for (const json::JsonView item : *data) {
            if (const std::optional<double> v = bar_value(item); v && *v > v_max) v_max = *v;
        }
    }
    return v_max < 1.0 ? 1.0 : v_max;
}

}  // namespace

void draw_bars(json::JsonView root, json::JsonArrayView series, std::uint32_t width, std::uint32_t height,
               std::string& out) {
    const double n_cat = axis_category_count(root, "xAxis");
    const double n_ser = static_cast<double>(series.size());
    const double v_max = bar_value_maximum(series);

    const double w = width;
    const double h = height;
    const double band = ((w - kRightMargin) - kPlotLeft) / n_cat;
    const double bar_width = std::min((band / n_ser) * 0.72, 42.0);
    const double offset = band * 0.14;
    const double plot_height = (h - kBottomMargin) - kPlotTop;
    const double baseline = h - kBottomMargin;

    // The width attribute is the same for every bar.
    std::string width_text;
    append_two_decimal(bar_width, width_text);

    // Positions count along the walk: indexing a view of nested items walks it again.
    for (std::size_t series_index = 0; const json::JsonView s : series) {
        const double series_shift = bar_width * static_cast<double>(series_index++);
        const std::optional<json::JsonArrayView> data = array_member(s, "data");
        if (!data) continue;
        const std::string_view default_fill = string_member(s.member("itemStyle"), "color").value_or("#111111");

        for (std::size_t category = 0; const json::JsonView item : *data) {
            const double band_left = band * static_cast<double>(category++) + kPlotLeft;
            const std::optional<double> v = bar_value(item);
            if (!v) continue;
            const double x = (offset + band_left) + series_shift;
            const double bar_height = plot_height * (*v / v_max);
            const double y = baseline - bar_height;
            const std::string_view fill = string_member(item.member("itemStyle"), "color").value_or(default_fill);

            out += "<rect x=\"";
            append_two_decimal(x, out);
            out += "\" y=\"";
            append_two_decimal(y, out);
            out += "\" width=\"";
            out += width_text;
            out += "\" height=\"";
            append_two_decimal(bar_height, out);
            out += "\" fill=\"";
            append_svg_text(fill, out);
            out += "\"/>";
        }
    }
}

}  // namespace tessel::svg
