#include "chart/legend_icon.hpp"

#include <algorithm>
#include <charconv>
#include <string_view>

namespace tessel::chart {

namespace {

void append_number(std::uint64_t n, std::string& out) {
    char digits[20];
    const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
    out.append(digits, end);
}

// "M{x0},{y} L{x1},{y}"
void append_segment(std::uint64_t x0, std::uint64_t x1, std::string& out) {
    out += 'M';
    append_number(x0, out);
    out += ',';
    append_number(legend_icon_y, out);
    out += " L";
    append_number(x1, out);
    out += ',';
    append_number(legend_icon_y, out);
}

}  // namespace

std::string legend_icon_path(std::span<const std::uint32_t> dash) {
    std::string path = "path://";
    const bool draws_nothing = std::all_of(dash.begin(), dash.end(), [](std::uint32_t d) { return d == 0; });
    if (draws_nothing) {
        append_segment(0, legend_icon_width, path);
        return path;
    }
    // Each pass over the pattern advances by its non-zero sum, so the loop
    // ends within legend_icon_width passes. x stays at most the width, so
    // x + d fits in 64 bits.
    std::uint64_t x = 0;
    bool draw = true;
    bool first = true;
    for (std::size_t k = 0; x < legend_icon_width; k = k + 1 == dash.size() ? 0 : k + 1) {
        const std::uint64_t next = std::min<std::uint64_t>(x + dash[k], legend_icon_width);
        if (draw) {
            if (!first) path += ' ';
            first = false;
            append_segment(x, next, path);
        }
        draw = !draw;
        x = next;
    }
    return path;
}

}  // namespace tessel::chart
