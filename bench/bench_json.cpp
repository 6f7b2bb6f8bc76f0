// Read plus write of option documents through the JSON layer.
//
//   bench_json [FILE...]
//
// Without arguments it times the documents that bench/bench_json_anchors.py
// writes next to this program (bench_data/json_heatmap.json and
// bench_data/json_small.json); that script also runs this program and sets
// its times beside Python's json and orjson. Two lines per document, one for
// the editable tree (JsonValue) and one for the read-only JsonDocument:
//   NAME form=tree bytes=B read_ns=R write_ns=W total_ns=T
//   NAME form=document bytes=B read_ns=R write_ns=W total_ns=T
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "json/document.hpp"
#include "json/reader.hpp"
#include "json/writer.hpp"

namespace {

using Clock = std::chrono::steady_clock;
using tessel::json::JsonValue;

// Best over rounds of the mean time of one call, in nanoseconds.
template <class F>
double time_per_call(F&& call, double min_seconds = 0.3, int rounds = 7) {
    long n = 1;
    double seconds;
    for (;;) {
        const auto t0 = Clock::now();
        for (long i = 0; i < n; ++i) call();
        seconds = std::chrono::duration<double>(Clock::now() - t0).count();
        if (seconds >= min_seconds / rounds) break;
        n *= 2;
    }
    double best = seconds / static_cast<double>(n);
    for (int r = 1; r < rounds; ++r) {
        const auto t0 = Clock::now();
        for (long i = 0; i < n; ++i) call();
        seconds = std::chrono::duration<double>(Clock::now() - t0).count();
        best = std::min(best, seconds / static_cast<double>(n));
    }
    return best * 1e9;
}

bool read_file(const std::filesystem::path& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    text = buffer.str();
    return true;
}

volatile std::size_t g_sink;

void bench(const std::filesystem::path& path) {
    std::string text;
    if (!read_file(path, text)) {
        std::printf("%s missing (run bench/bench_json_anchors.py to write it)\n", path.c_str());
        return;
    }
    const std::string file_name = path.filename().string();
    const char* const name = file_name.c_str();
    {
        const tessel::json::JsonDocument parsed = tessel::json::read_json_document(text);
        const double read_ns = time_per_call([&] {
            const tessel::json::JsonDocument d = tessel::json::read_json_document(text);
            g_sink = g_sink + d.text_size();
        });
        const double write_ns = time_per_call([&] { g_sink = g_sink + tessel::json::to_json(parsed).size(); });
        const double total_ns = time_per_call(
            [&] { g_sink = g_sink + tessel::json::to_json(tessel::json::read_json_document(text)).size(); });
        std::printf("%s form=document bytes=%zu read_ns=%.0f write_ns=%.0f total_ns=%.0f\n", name, text.size(),
                    read_ns, write_ns, total_ns);
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::filesystem::path> paths(argv + 1, argv + argc);
    if (paths.empty()) {
        const auto dir = std::filesystem::absolute(argv[0]).parent_path() / "bench_data";
        paths = {dir / "json_heatmap.json", dir / "json_small.json"};
    }
    for (const auto& path : paths) bench(path);
    return 0;
}
