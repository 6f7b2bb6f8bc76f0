// The SVG renderer without Python, on the long line chart of bench_svg.py
// (4 series of 100,000 points, x = 0, 1, ... and y a random walk): where the
// time of one picture goes.
//
//   bench_svg_core [POINTS]     (default: 100000 per series)
//
// read    reading every byte of the text once: the floor of any renderer
// decode  the text to a JSON document
// spell   the two-decimal text of the 800,000 pixel coordinates alone
// render  the whole picture, as render_option_svg makes it
// map     render - decode - spell: walking the points, mapping them to
//         pixels and the rest of the markup
#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "json/number_text.hpp"
#include "json/reader.hpp"
#include "svg/render_option_svg.hpp"

namespace {

using Clock = std::chrono::steady_clock;

template <class F>
double best_ms(F&& call, int rounds = 7) {
    double best = 1e300;
    for (int round = 0; round < rounds; ++round) {
        const auto t0 = Clock::now();
        call();
        best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    }
    return best;
}

// Shortest digits, a whole number with ".0" as Python writes floats.
void append_number(double v, std::string& out) {
    char text[32];
    const std::string_view digits(text, static_cast<std::size_t>(std::to_chars(text, text + sizeof text, v).ptr - text));
    out += digits;
    if (digits.find_first_of(".e") == digits.npos) out += ".0";
}

// {"title": {"text": "Line"}, "series": [{"type": "line", "data": [[x, y], ...]}, ...]}
std::string line_option(std::size_t points, std::vector<double>& pixels) {
    std::mt19937_64 rng(7);
    std::normal_distribution<double> step;
    std::string text = R"({"title": {"text": "Line"}, "series": [)";
    for (int s = 0; s < 4; ++s) {
        text += s == 0 ? R"({"type": "line", "data": [)" : R"(, {"type": "line", "data": [)";
        double y = 0;
        for (std::size_t i = 0; i < points; ++i) {
            y += step(rng);
            text += i == 0 ? "[" : ", [";
            append_number(static_cast<double>(i), text);
            text += ", ";
            append_number(y, text);
            text += ']';
            // Pixel coordinates spread over the plot box as the renderer's are.
            pixels.push_back(72.0 + 540.0 * static_cast<double>(i) / static_cast<double>(points));
            pixels.push_back(422.0 - 358.0 * (std::sin(y / 50.0) * 0.5 + 0.5));
        }
        text += "]}";
    }
    text += "]}";
    return text;
}

volatile std::uint64_t sink;

}  // namespace

int main(int argc, char** argv) {
    const std::size_t points = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 100000;
    std::vector<double> pixels;
    const std::string text = line_option(points, pixels);

    const double read_ms = best_ms([&] {
        std::uint64_t sum = 0;
        for (std::size_t i = 0; i + 8 <= text.size(); i += 8) {
            std::uint64_t word;
            std::memcpy(&word, text.data() + i, 8);
            sum += word;
        }
        sink = sum;
    });
    const double decode_ms = best_ms([&] { sink = tessel::json::read_json_document(text).root().is_object(); });
    const double spell_ms = best_ms([&] {
        std::vector<char> out(pixels.size() * 8 + tessel::json::fixed_text_room(2));
        char* p = out.data();
        for (const double v : pixels) {
            p = tessel::json::fixed_text(v, 2, p);
            *p++ = ',';
        }
        sink = static_cast<std::size_t>(p - out.data());
    });
    std::size_t bytes = 0;
    const double render_ms = best_ms([&] { bytes = tessel::svg::render_option_svg(text, 640, 480).size(); });
    std::printf("line 4 x %zu points (%.1f MB of JSON, %.1f MB of SVG)\n", points, text.size() / 1e6, bytes / 1e6);
    std::printf("floor (read) %.2f ms  decode %.2f ms  spell %.2f ms  map (walk, map, markup) %.2f ms  render %.2f ms\n",
                read_ms, decode_ms, spell_ms, render_ms - decode_ms - spell_ms, render_ms);
}
