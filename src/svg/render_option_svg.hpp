#pragma once
// A static SVG picture of an ECharts option document, for places where no
// browser can run ECharts.
#include <cstdint>
#include <string>
#include <string_view>

namespace tessel::svg {

// The picture of `option_json` at `width` x `height` pixels, as one line of
// SVG text. Throws tessel::ValueError, checked in this order, when the text
// is not JSON, the chart is a comparison chart, there is no series array, or
// some series is a custom one. Any other document renders.
std::string render_option_svg(std::string_view option_json, std::uint32_t width, std::uint32_t height);

}  // namespace tessel::svg
