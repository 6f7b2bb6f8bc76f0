#include "svg/frame.hpp"

#include "svg/document_reading.hpp"
#include "svg/plot_box.hpp"
#include "svg/svg_text.hpp"

namespace tessel::svg {

namespace {

// The title text: "title" (or the first element of a "title" array) as an
// object with a string "text"; empty in every other case.
std::string_view title_text(json::JsonView root) {
    json::JsonView title = root.member("title");
    if (title.is_array()) {
        const json::JsonArrayView titles = title.as_array();
        title = titles.empty() ? json::JsonView() : titles.front();
    }
    return string_member(title, "text").value_or(std::string_view());
}

// a - b for unsigned sizes, 0 when b exceeds a: the axis lines never carry a sign.
std::uint32_t minus_or_zero(std::uint32_t a, std::uint32_t b) { return a > b ? a - b : 0; }

}  // namespace

FrameSettings frame_settings(json::JsonView root) {
    return FrameSettings{
        string_member(root, "backgroundColor").value_or("white"),
        string_member(root.member("textStyle"), "color").value_or("#111111"),
        title_text(root),
    };
}

namespace {

void append_axis_line(std::uint32_t x1, std::uint32_t y1, std::uint32_t x2, std::uint32_t y2,
                      std::string_view colour, std::string& out) {
    out += "<line x1=\"";
    append_integer(x1, out);
    out += "\" y1=\"";
    append_integer(y1, out);
    out += "\" x2=\"";
    append_integer(x2, out);
    out += "\" y2=\"";
    append_integer(y2, out);
    out += "\" stroke=\"";
    append_svg_text(colour, out);
    out += "\" stroke-width=\"1.5\"/>";
}

}  // namespace

void write_frame(const FrameSettings& settings, std::uint32_t width, std::uint32_t height, std::string& out) {
    const std::uint32_t right = minus_or_zero(width, kRightMargin);
    const std::uint32_t bottom = minus_or_zero(height, kBottomMargin);

    out += "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 ";
    append_integer(width, out);
    out += ' ';
    append_integer(height, out);
    out += "\" width=\"";
    append_integer(width, out);
    out += "\" height=\"";
    append_integer(height, out);
    out += "\" role=\"img\">";

    out += "<rect width=\"100%\" height=\"100%\" fill=\"";
    append_svg_text(settings.background, out);
    out += "\"/>";

    if (!settings.title.empty()) {
        out += "<text x=\"0\" y=\"36\" fill=\"";
        append_svg_text(settings.text_colour, out);
        out += "\" font-size=\"32\" font-family=\"sans-serif\">";
        append_svg_text(settings.title, out);
        out += "</text>";
    }

    append_axis_line(kPlotLeft, bottom, right, bottom, settings.text_colour, out);
    append_axis_line(kPlotLeft, kPlotTop, kPlotLeft, bottom, settings.text_colour, out);
}

}  // namespace tessel::svg
