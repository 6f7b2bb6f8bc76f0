#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <span>
#include <vector>

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

// An array item whose first two elements are usable numbers; more elements
// are ignored.
std::optional<Point> point_of(json::JsonView item) {
    if (!item.is_array()) return std::nullopt;
    const json::JsonArrayView pair = item.as_array();
    if (pair.size() < 2) return std::nullopt;
    auto it = pair.begin();
    const std::optional<double> x = usable_number(*it++);
    if (!x) return std::nullopt;
    const std::optional<double> y = usable_number(*it);
    if (!y) return std::nullopt;
    return Point{*x, *y};
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

void append_polyline(std::span<const Point> points, const PointMapping& mapping, std::string_view colour,
                     std::string& out) {
    if (points.empty()) return;
    out += "<polyline points=\"";
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (i != 0) out += ' ';
        const Point px = mapping.to_pixels(points[i]);
        append_two_decimal(px.x, out);
        out += ',';
        append_two_decimal(px.y, out);
    }
    out += "\" fill=\"none\" stroke=\"";
    append_svg_text(colour, out);
    out += "\" stroke-width=\"2.4\" stroke-linecap=\"round\" stroke-linejoin=\"round\"/>";
}

void append_circles(std::span<const Point> points, const PointMapping& mapping, std::string_view colour,
                    std::string& out) {
    // The fill text is the same for every circle of the series: escape it once.
    std::string tail = "\" r=\"3.5\" fill=\"";
    append_svg_text(colour, tail);
    tail += "\"/>";
    for (const Point& p : points) {
        const Point px = mapping.to_pixels(p);
        out += "<circle cx=\"";
        append_two_decimal(px.x, out);
        out += "\" cy=\"";
        append_two_decimal(px.y, out);
        out += tail;
    }
}

// The points of every series, in order: the domains must cover all of them
// before the first is drawn, so they are read from the document once into
// one compact run; series i owns points [start(i), end(i)).
struct GatheredPoints {
    std::vector<Point> points;
    std::vector<std::size_t> ends;
    Range xs;
    Range ys;

    explicit GatheredPoints(json::JsonArrayView series) {
        std::size_t capacity = 0;
        for (const json::JsonView s : series) {
            if (const std::optional<json::JsonArrayView> data = array_member(s, "data")) capacity += data->size();
        }
        points.reserve(capacity);
        ends.reserve(series.size());
        for (const json::JsonView s : series) {
            if (const std::optional<json::JsonArrayView> data = array_member(s, "data")) {
                for (const json::JsonView item : *data) {
                    if (const std::optional<Point> p = point_of(item)) {
                        xs.include(p->x);
                        ys.include(p->y);
                        points.push_back(*p);
                    }
                }
            }
            ends.push_back(points.size());
        }
    }

    std::span<const Point> of_series(std::size_t i) const {
        const std::size_t start = i == 0 ? 0 : ends[i - 1];
        return std::span<const Point>(points).subspan(start, ends[i] - start);
    }
};

}  // namespace

void draw_line_scatter(json::JsonArrayView series, std::uint32_t width, std::uint32_t height, bool scatter_chart,
                       std::string& out) {
    const GatheredPoints gathered(series);
    const double w = width;
    const double h = height;
    const double bottom = h - kBottomMargin;
    const PointMapping mapping{Domain(gathered.xs), Domain(gathered.ys), (w - kRightMargin) - kPlotLeft, bottom,
                               bottom - kPlotTop};

    for (std::size_t i = 0; const json::JsonView s : series) {
        const std::span<const Point> points = gathered.of_series(i++);
        const std::string_view colour = line_series_colour(s);
        const std::string_view series_type = string_member(s, "type").value_or("line");
        if (scatter_chart || series_type == "scatter") {
            append_circles(points, mapping, colour, out);
        } else if (series_type == "line") {
            append_polyline(points, mapping, colour, out);
        }
    }
}

}  // namespace tessel::svg
