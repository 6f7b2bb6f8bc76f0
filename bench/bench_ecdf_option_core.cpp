// The ECDF option builder without Python: time per call for 4 curves shaped
// like compute_ecdf's output (sorted lognormal x, y = j/n), split into
// formatting the coordinates alone, writing a built document into a ready
// buffer, and the whole build plus write, as the module function does it.
//
//   bench_ecdf_option_core [POINTS...]     (default: 1000 100000)
//
// One line per size:
//   points=N bytes=B format_ns=F write_ns=W build_write_ns=T
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "chart/option_text.hpp"
#include "chart/ecdf_option.hpp"
#include "json/float_text.hpp"

namespace {

using Clock = std::chrono::steady_clock;
using namespace tessel::chart;
using tessel::json::format_json_float;
using tessel::json::json_float_room;
using tessel::json::max_json_float_bytes;

template <class F>
double best_ns(F&& call, double min_seconds = 0.5, int min_rounds = 5) {
    double best = 1e300;
    const auto start = Clock::now();
    for (int round = 0; round < min_rounds || std::chrono::duration<double>(Clock::now() - start).count() < min_seconds;
         ++round) {
        const auto t0 = Clock::now();
        call();
        best = std::min(best, std::chrono::duration<double, std::nano>(Clock::now() - t0).count());
    }
    return best;
}

std::vector<EcdfSeriesInput> make_series(std::size_t n) {
    std::mt19937_64 rng(7);
    std::vector<EcdfSeriesInput> series;
    const char* colors[] = {"#1f77b4", "#ff7f0e", "#2ca02c", "#d62728"};
    for (int k = 0; k < 4; ++k) {
        std::lognormal_distribution<double> dist(1.0 + k / 4.0, 0.8);
        std::vector<double> x(n);
        for (double& v : x) v = dist(rng);
        std::sort(x.begin(), x.end());
        EcdfSeriesInput s;
        s.name = "route " + std::to_string(k);
        s.color = colors[k];
        if (k == 1) s.dash = std::vector<std::uint32_t>{6, 4};
        if (k == 2) s.dash = std::vector<std::uint32_t>{2, 2};
        for (std::size_t j = 0; j < n; ++j) {
            s.coords.push_back(x[j]);
            s.coords.push_back(static_cast<double>(j + 1) / static_cast<double>(n));
            s.point_ends.push_back(s.coords.size());
        }
        series.push_back(std::move(s));
    }
    return series;
}

volatile std::size_t sink;

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::size_t> sizes;
    for (int i = 1; i < argc; ++i) sizes.push_back(std::strtoull(argv[i], nullptr, 10));
    if (sizes.empty()) sizes = {1000, 100000};
    const EcdfTexts texts{"Distance", "Distance", "km", "Distance (km)", "#ffffff",
                          "#333333",  "#dddddd",  "sans-serif", "serif", "monospace"};
    for (std::size_t n : sizes) {
        const auto series = make_series(n);
        std::vector<char> buffer(series.size() * 2 * n * max_json_float_bytes + json_float_room);
        const double format_ns = best_ns([&] {
            char* p = buffer.data();
            for (const auto& s : series) {
                for (double v : s.coords) p = format_json_float(v, p);
            }
            sink = static_cast<std::size_t>(p - buffer.data());
        });
        const OptionTree document = build_ecdf_option_tree(series, texts);
        const OptionText text(document);
        std::vector<char> out(text.size_bound());
        const double write_ns = best_ns([&] { sink = text.write_parts(out.data()).size(); });
        std::size_t bytes = 0;
        const double build_ns = best_ns([&] {
            const OptionTree tree = build_ecdf_option_tree(series, texts);
            const OptionText built(tree);
            std::vector<char> target(built.size_bound());
            bytes = built.write_parts(target.data()).size();
        });
        std::printf("points=%zu bytes=%zu format_ns=%.0f write_ns=%.0f build_write_ns=%.0f\n", n, bytes, format_ns,
                    write_ns, build_ns);
    }
}
