// The SVG renderer on arbitrary option text and picture sizes. Every run ends
// in a picture or in one of the renderer's four refusals. A picture is the
// root start tag with the asked size, the background, an optional title, two
// axis lines, then only polylines, circles and rectangles, and the closing
// tag; attribute values and the title hold no raw quote, "<" or "&" outside a
// character reference and no character XML cannot carry; valid UTF-8 text
// gives a valid UTF-8 picture.
#include <cctype>
#include <string>
#include <vector>

#include "fuzz_support.hpp"
#include "svg/render_option_svg.hpp"

namespace {

using fuzz::check;

// Character data or an attribute value: references are the four the renderer
// writes, and nothing XML forbids appears. U+FFFE and U+FFFF are looked for
// only in valid UTF-8 input: in invalid input, dropping them can join stray
// bytes into another one.
void check_escaped(std::string_view text, bool valid_input) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        check(b != '"' && b != '<' && b != '>' && (b >= 0x20 || b == '\t' || b == '\n' || b == '\r'));
        check(!valid_input || text.substr(i, 2) != "\xEF\xBF" || i + 2 >= text.size() ||
              (static_cast<unsigned char>(text[i + 2]) & 0xFE) != 0xBE);
        const std::string_view rest = text.substr(i);
        check(b != '&' || fuzz::starts_with(rest, "&amp;") || fuzz::starts_with(rest, "&lt;") ||
              fuzz::starts_with(rest, "&gt;") || fuzz::starts_with(rest, "&quot;"));
    }
}

void check_picture(std::string_view svg, std::uint32_t width, std::uint32_t height, bool valid_input) {
    const std::string w = std::to_string(width), h = std::to_string(height);
    const std::string head = "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 " + w + " " + h + "\" width=\"" +
                             w + "\" height=\"" + h + "\" role=\"img\">";
    check(fuzz::starts_with(svg, head) && svg.size() >= head.size() + 6 && svg.substr(svg.size() - 6) == "</svg>");
    std::vector<std::string_view> names;
    for (std::size_t i = head.size(), end = svg.size() - 6; i < end;) {
        check(svg[i] == '<');
        std::size_t j = i + 1;
        while (j < end && std::islower(static_cast<unsigned char>(svg[j]))) ++j;
        names.push_back(svg.substr(i + 1, j - i - 1));
        while (j < end && svg[j] == ' ') {  // an attribute
            std::size_t k = j + 1;
            while (k < end && (svg[k] == '-' || std::isalnum(static_cast<unsigned char>(svg[k])))) ++k;
            const std::size_t close = svg.find('"', k + 2);
            check(k > j + 1 && svg.substr(k, 2) == "=\"" && close < end);
            check_escaped(svg.substr(k + 2, close - k - 2), valid_input);
            j = close + 1;
        }
        if (names.back() == "text") {
            const std::size_t stop = svg.find("</text>", j);
            check(j < end && svg[j] == '>' && stop < end);
            check_escaped(svg.substr(j + 1, stop - j - 1), valid_input);
            i = stop + 7;
        } else {
            check(svg.substr(j, 2) == "/>");
            i = j + 2;
        }
    }
    std::size_t k = names.size() > 1 && names[1] == "text" ? 2 : 1;
    check(names.size() >= k + 2 && names[0] == "rect" && names[k] == "line" && names[k + 1] == "line");
    for (k += 2; k < names.size(); ++k) check(names[k] == "polyline" || names[k] == "circle" || names[k] == "rect");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    std::uint32_t width = 640, height = 480;
    if (in.params.remaining_bytes() > 0) {
        // Mostly ordinary sizes and the margins' edges; sometimes any 32-bit size.
        const bool any = in.params.ConsumeBool();
        width = any ? in.params.ConsumeIntegral<std::uint32_t>() : in.params.ConsumeIntegralInRange<std::uint32_t>(0, 2000);
        height = any ? in.params.ConsumeIntegral<std::uint32_t>() : in.params.ConsumeIntegralInRange<std::uint32_t>(0, 2000);
    }
    std::string svg;
    try {
        svg = tessel::svg::render_option_svg(in.text, width, height);
    } catch (const tessel::ValueError& e) {
        const std::string_view m = e.what();
        check(fuzz::is_decode_error(m, in.text) || m == "SVG rendering is not supported for chart type stvd_comparison" ||
              m == "option JSON must contain a series array" || m == "SVG rendering is not supported for custom series");
        return 0;
    }
    const bool valid_input = fuzz::is_valid_utf8(in.text);
    check_picture(svg, width, height, valid_input);
    check(!valid_input || fuzz::is_valid_utf8(svg));
    return 0;
}
