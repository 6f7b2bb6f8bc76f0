#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "svg/document_reading.hpp"
#include "svg/draw_series.hpp"
#include "svg/plot_box.hpp"
#include "svg/svg_text.hpp"

namespace tessel::svg {

namespace {

struct Point {
    double x;
    double y;
};

// Reads an array item whose first two elements are usable numbers (more
// elements are ignored) into `point`; false for any other item. Plain
// numbers and a flag rather than optionals: this runs for every point.
bool read_point(json::JsonView item, Point& point) {
    if (!item.is_array()) return false;
    const json::JsonArrayView pair = item.as_array();
    if (pair.size() < 2) return false;
    auto it = pair.begin();
    const json::JsonView x = *it++;
    const json::JsonView y = *it;
    if (!x.is_number() || !y.is_number()) return false;
    point = {x.number_as_double(), y.number_as_double()};
    return std::isfinite(point.x) && std::isfinite(point.y);
}

struct Range {
    double min = std::numeric_limits<double>::infinity();
    double max = -std::numeric_limits<double>::infinity();

    void include(double v) {
        if (v < min) min = v;
        if (v > max) max = v;
    }
};

// The axis domain of a data range: from the smaller of its minimum and 0 to
// its maximum; [0, 1] when the range is empty or a single value, so the
// span is never 0.
struct Domain {
    double lo;
    double span;  // hi - lo

    explicit Domain(const Range& r) {
        if (r.min != r.max && std::isfinite(r.min)) {
            lo = std::min(r.min, 0.0);
            span = r.max - lo;
        } else {
            lo = 0.0;
            span = 1.0;
        }
    }
};

// Maps data points to pixels of the plot box; larger y is higher up.
struct PointMapping {
    Domain x;
    Domain y;
    double plot_width;
    double bottom;
    double plot_height;

    Point to_pixels(const Point& p) const {
        return {kPlotLeft + ((p.x - x.lo) / x.span) * plot_width, bottom - ((p.y - y.lo) / y.span) * plot_height};
    }
};

std::string_view line_series_colour(json::JsonView s) {
    if (const std::optional<std::string_view> c = string_member(s.member("lineStyle"), "color")) return *c;
    return string_member(s.member("itemStyle"), "color").value_or("#111111");
}

// Calls f with each usable point of a series, in order.
template <class F>
void for_each_point(json::JsonView s, F&& f) {
    const std::optional<json::JsonArrayView> data = array_member(s, "data");
    if (!data) return;
    Point point;
    for (const json::JsonView item : *data) {
        if (read_point(item, point)) f(point);
    }
}

void append_polyline(json::JsonView s, const PointMapping& mapping, std::string_view colour, std::string& out) {
    // The points' text is made in a block here and appended a block at a
    // time: an append per point cost about as much as spelling the point.
    constexpr std::size_t kPointRoom = 2 * kTwoDecimalRoom + 2;  // " x,y"
    char block[16 * kPointRoom];
    char* p = block;
    bool first = true;
    for_each_point(s, [&](const Point& point) {
        if (first) {
            out += "<polyline points=\"";
            first = false;
        } else {
            *p++ = ' ';
        }
        const Point px = mapping.to_pixels(point);
        p = two_decimal_text(px.x, p);
        *p++ = ',';
        p = two_decimal_text(px.y, p);
        if (static_cast<std::size_t>(block + sizeof block - p) < kPointRoom) {
            out.append(block, static_cast<std::size_t>(p - block));
            p = block;
        }
    });
    if (first) return;  // no point: no element
    out.append(block, static_cast<std::size_t>(p - block));
    out += "\" fill=\"none\" stroke=\"";
    append_svg_text(colour, out);
    out += "\" stroke-width=\"2.4\" stroke-linecap=\"round\" stroke-linejoin=\"round\"/>";
}

void append_circles(json::JsonView s, const PointMapping& mapping, std::string_view colour, std::string& out) {
    // The fill text is the same for every circle of the series: escape it once.
    std::string tail = "\" r=\"3.5\" fill=\"";
    append_svg_text(colour, tail);
    tail += "\"/>";
    for_each_point(s, [&](const Point& point) {
        const Point px = mapping.to_pixels(point);
        out += "<circle cx=\"";
        append_two_decimal(px.x, out);
        out += "\" cy=\"";
        append_two_decimal(px.y, out);
        out += tail;
    });
}

}  // namespace

void draw_line_scatter(json::JsonArrayView series, std::uint32_t width, std::uint32_t height, bool scatter_chart,
                       std::string& out) {
    // The domains cover the points of every series before the first is
    // drawn: one walk over the data for them, one to map and write.
    Range xs;
    Range ys;
    std::size_t count = 0;
    for (const json::JsonView s : series) {
        for_each_point(s, [&](const Point& p) {
            xs.include(p.x);
            ys.include(p.y);
            ++count;
        });
    }
    // About 14 bytes a point ("123.45,678.90 "), 60 a circle: one allocation
    // of the final size, as megabytes of fresh memory cost more in page
    // faults than the writing.
    out.reserve(out.size() + 256 * series.size() + count * (scatter_chart ? 64 : 16));

    const double w = width;
    const double h = height;
    const double bottom = h - kBottomMargin;
    const PointMapping mapping{Domain(xs), Domain(ys), (w - kRightMargin) - kPlotLeft, bottom, bottom - kPlotTop};
    for (const json::JsonView s : series) {
        const std::string_view colour = line_series_colour(s);
        const std::string_view series_type = string_member(s, "type").value_or("line");
        if (scatter_chart || series_type == "scatter") {
            append_circles(s, mapping, colour, out);
        } else if (series_type == "line") {
            append_polyline(s, mapping, colour, out);
        }
    }
}

}  // namespace tessel::svg
