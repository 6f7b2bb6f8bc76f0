// The SVG renderer on arbitrary option text and picture sizes. Every run ends
// in a picture or in one of the renderer's four refusals. A picture is one
// well-formed element sequence: the root start tag with the asked size, the
// background, an optional title, two axis lines, then only polylines,
// circles and rectangles, and the closing tag; attribute values and the
// title hold no raw quote, "<" or "&" outside a character reference and no
// character XML cannot carry; valid UTF-8 text gives a valid UTF-8 picture.
#include <cctype>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/errors.hpp"
#include "fuzz_support.hpp"
#include "svg/render_option_svg.hpp"

namespace {

using fuzz::check;

// Whether the option text was valid UTF-8 (as every text from Python is).
// Only then must the picture be free of characters XML forbids: in invalid
// UTF-8, dropping U+FFFE or U+FFFF can join stray bytes into another one.
bool g_valid_input = true;

// Character data or an attribute value: references are the four the
// renderer writes, and nothing XML forbids appears.
void check_escaped(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        check(b != '"' && b != '<' && b != '>');
        check(b >= 0x20 || b == '\t' || b == '\n' || b == '\r');
        if (g_valid_input && b == 0xEF && i + 2 < text.size()) {
            check(!(static_cast<unsigned char>(text[i + 1]) == 0xBF &&
                    (static_cast<unsigned char>(text[i + 2]) & 0xFE) == 0xBE));
        }
        if (b == '&') {
            const std::string_view rest = text.substr(i);
            check(fuzz::starts_with(rest, "&amp;") || fuzz::starts_with(rest, "&lt;") ||
                  fuzz::starts_with(rest, "&gt;") || fuzz::starts_with(rest, "&quot;"));
        }
    }
}

// Reads one element at `pos` and returns its name; `pos` ends after it.
std::string_view read_element(std::string_view svg, std::size_t& pos) {
    check(pos < svg.size() && svg[pos] == '<');
    std::size_t i = pos + 1;
    const std::size_t name_start = i;
    while (i < svg.size() && svg[i] >= 'a' && svg[i] <= 'z') ++i;
    const std::string_view name = svg.substr(name_start, i - name_start);
    check(!name.empty());
    while (i < svg.size() && svg[i] == ' ') {
        ++i;
        const std::size_t attribute_start = i;
        while (i < svg.size() && (svg[i] == '-' || std::isalnum(static_cast<unsigned char>(svg[i])))) ++i;
        check(i > attribute_start);
        check(i + 1 < svg.size() && svg[i] == '=' && svg[i + 1] == '"');
        const std::size_t value_start = i + 2;
        const std::size_t value_end = svg.find('"', value_start);
        check(value_end != std::string_view::npos);
        check_escaped(svg.substr(value_start, value_end - value_start));
        i = value_end + 1;
    }
    if (name == "text") {
        check(i < svg.size() && svg[i] == '>');
        const std::size_t end = svg.find("</text>", i + 1);
        check(end != std::string_view::npos);
        check_escaped(svg.substr(i + 1, end - i - 1));
        pos = end + 7;
    } else if (name == "svg") {
        check(i < svg.size() && svg[i] == '>');
        pos = i + 1;
    } else {
        check(svg.substr(i, 2) == "/>");
        pos = i + 2;
    }
    return name;
}

void check_picture(std::string_view svg, std::uint32_t width, std::uint32_t height) {
    const std::string w = std::to_string(width);
    const std::string h = std::to_string(height);
    const std::string head =
        "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 " + w + " " + h + "\" width=\"" + w +
        "\" height=\"" + h + "\" role=\"img\">";
    check(fuzz::starts_with(svg, head));
    check(svg.size() >= head.size() + 6 && svg.substr(svg.size() - 6) == "</svg>");
    const std::string_view body = svg.substr(0, svg.size() - 6);
    std::size_t pos = 0;
    check(read_element(body, pos) == "svg");
    check(read_element(body, pos) == "rect");
    std::string_view name = read_element(body, pos);
    if (name == "text") name = read_element(body, pos);
    check(name == "line");
    check(read_element(body, pos) == "line");
    while (pos < body.size()) {
        name = read_element(body, pos);
        check(name == "polyline" || name == "circle" || name == "rect");
    }
}

void check_refusal(std::string_view message, std::string_view text) {
    if (fuzz::is_decode_error(message, text)) return;
    check(message == "SVG rendering is not supported for chart type stvd_comparison" ||
          message == "option JSON must contain a series array" ||
          message == "SVG rendering is not supported for custom series");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::Input input = fuzz::split_input(data, size);
    FuzzedDataProvider params(input.params, input.params_size);
    std::uint32_t width = 640;
    std::uint32_t height = 480;
    if (params.remaining_bytes() > 0) {
        // Mostly ordinary sizes and the margins' edges; sometimes any 32-bit size.
        const bool any = params.ConsumeBool();
        width = any ? params.ConsumeIntegral<std::uint32_t>() : params.ConsumeIntegralInRange<std::uint32_t>(0, 2000);
        height = any ? params.ConsumeIntegral<std::uint32_t>() : params.ConsumeIntegralInRange<std::uint32_t>(0, 2000);
    }
    std::string svg;
    try {
        svg = tessel::svg::render_option_svg(input.text, width, height);
    } catch (const tessel::ValueError& e) {
        check_refusal(e.what(), input.text);
        return 0;
    }
    g_valid_input = fuzz::is_valid_utf8(input.text);
    check_picture(svg, width, height);
    if (g_valid_input) check(fuzz::is_valid_utf8(svg));
    return 0;
}
