// The three finalizers: their fast path against the document path on random
// documents and data, and matrices in every layout against a plain copy.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "activity/bar_finalizer.hpp"
#include "activity/comparison_finalizer.hpp"
#include "activity/heatmap_finalizer.hpp"
#include "activity_doc_gen.hpp"
#include "common/errors.hpp"

namespace {

using namespace tessel::activity;
using tessel::StridedMatrix;

// A finalizer's result or its failure (kind and message).
struct Outcome {
    std::string kind;
    std::string text;
    friend bool operator==(const Outcome&, const Outcome&) = default;
};

template <class F>
Outcome outcome(F&& f) {
    try {
        return {"ok", f()};
    } catch (const tessel::ValueError& e) {
        return {"ValueError", e.what()};
    } catch (const tessel::TypeError& e) {
        return {"TypeError", e.what()};
    } catch (const tessel::InternalFailure& e) {
        return {"InternalFailure", e.what()};
    }
}

std::ostream& operator<<(std::ostream& os, const Outcome& o) { return os << o.kind << ": " << o.text; }

double random_value(activity_test::DocGen& gen) {
    switch (gen.pick(12)) {
        case 0: return std::nan("");
        case 1: return gen.chance(50) ? INFINITY : -INFINITY;
        case 2: return gen.chance(50) ? 1e307 : -1e300;
        case 3: return (gen.pick(2001) - 1000) / 8.0;  // halves and quarters
        case 4: return -0.0;
        case 5: {
            double x;
            const std::uint64_t bits = gen.rng()();
            std::memcpy(&x, &bits, sizeof x);
            return x;
        }
        default: return std::uniform_real_distribution<double>(-5, 120)(gen.rng());
    }
}

std::string_view random_color(activity_test::DocGen& gen) {
    static const std::string_view kColors[] = {"#4c78a8", "red", "", "rgba(1, 2, 3, 0.5)", "q\"uote\\", "\t\x01",
                                               "\xC3\xA9t\xC3\xA9", std::string_view("nul\0l", 5)};
    return kColors[gen.pick(8)];
}

std::int64_t random_count(activity_test::DocGen& gen) {
    switch (gen.pick(5)) {
        case 0: return std::numeric_limits<std::int64_t>::min();
        case 1: return std::numeric_limits<std::int64_t>::max();
        case 2: return -gen.pick(100);
        default: return gen.pick(100000);
    }
}

// A matrix of rows × cols values in a buffer with the given strides (in
// elements, any sign) and a byte offset that may misalign it.
struct Layout {
    std::vector<std::byte> buffer;
    StridedMatrix matrix;
};

Layout lay_out(const std::vector<double>& row_major, std::size_t rows, std::size_t cols, std::ptrdiff_t row_step,
               std::ptrdiff_t col_step, std::size_t misalign) {
    // Span of element offsets reached, to place the origin.
    std::ptrdiff_t lo = 0, hi = 0;
    if (rows > 0 && cols > 0) {
        const std::ptrdiff_t corners[] = {0, row_step * static_cast<std::ptrdiff_t>(rows - 1),
                                          col_step * static_cast<std::ptrdiff_t>(cols - 1),
                                          row_step * static_cast<std::ptrdiff_t>(rows - 1) +
                                              col_step * static_cast<std::ptrdiff_t>(cols - 1)};
        for (const auto c : corners) {
            lo = std::min(lo, c);
            hi = std::max(hi, c);
        }
    }
    Layout layout;
    layout.buffer.assign(static_cast<std::size_t>(hi - lo + 1) * sizeof(double) + misalign + 8, std::byte{0xAB});
    std::byte* origin = layout.buffer.data() + misalign + static_cast<std::size_t>(-lo) * sizeof(double);
    for (std::size_t r = 0; r < rows; ++r) {
        for (std::size_t c = 0; c < cols; ++c) {
            const std::ptrdiff_t at = row_step * static_cast<std::ptrdiff_t>(r) + col_step * static_cast<std::ptrdiff_t>(c);
            std::memcpy(origin + at * static_cast<std::ptrdiff_t>(sizeof(double)), &row_major[r * cols + c], sizeof(double));
        }
    }
    layout.matrix = {origin, rows, cols, row_step * static_cast<std::ptrdiff_t>(sizeof(double)),
                     col_step * static_cast<std::ptrdiff_t>(sizeof(double))};
    return layout;
}

// Row-major, column-major, transposed-like, reversed and strided layouts.
std::vector<Layout> layouts(const std::vector<double>& values, std::size_t rows, std::size_t cols) {
    const auto r = static_cast<std::ptrdiff_t>(rows), c = static_cast<std::ptrdiff_t>(cols);
    std::vector<Layout> out;
    out.push_back(lay_out(values, rows, cols, c, 1, 0));
    out.push_back(lay_out(values, rows, cols, c, 1, 3));       // C order, misaligned
    out.push_back(lay_out(values, rows, cols, 1, r, 0));       // Fortran order
    out.push_back(lay_out(values, rows, cols, 1, r, 5));       // Fortran order, misaligned
    out.push_back(lay_out(values, rows, cols, -c, -1, 0));     // both axes reversed
    out.push_back(lay_out(values, rows, cols, 2 * c + 1, 2, 1));  // strided, misaligned
    out.push_back(lay_out(values, rows, cols, -1, 3 * r, 0));  // reversed rows, strided columns
    return out;
}

TEST(Finalizers, BarAgainstDocumentPath) {
    for (std::uint64_t seed = 0; seed < 6000; ++seed) {
        activity_test::DocGen gen(seed, seed % 3 == 0);
        const std::string doc = gen.document(1 + gen.pick(2));
        const std::size_t n = static_cast<std::size_t>(gen.pick(6));
        std::vector<double> percentages(n);
        std::vector<std::int64_t> counts(n);
        std::vector<std::string_view> colors(n);
        for (std::size_t i = 0; i < n; ++i) {
            percentages[i] = random_value(gen);
            counts[i] = random_count(gen);
            colors[i] = random_color(gen);
        }
        if (gen.chance(5)) counts.push_back(1);
        if (gen.chance(5) && !colors.empty()) colors.pop_back();
        const Outcome fast = outcome([&] { return finalize_bar_option(doc, percentages, counts, colors); });
        const Outcome reference = outcome([&] { return finalize_bar_option_by_document(doc, percentages, counts, colors); });
        ASSERT_EQ(fast, reference) << doc;
    }
}

TEST(Finalizers, HeatmapAgainstDocumentPathInEveryLayout) {
    for (std::uint64_t seed = 0; seed < 3000; ++seed) {
        activity_test::DocGen gen(seed + 100000, seed % 3 == 0);
        const std::string doc = gen.document(1 + gen.pick(2));
        const std::size_t rows = static_cast<std::size_t>(gen.pick(5)), cols = static_cast<std::size_t>(gen.pick(5));
        std::vector<double> values(rows * cols);
        for (double& v : values) v = random_value(gen);
        const bool flag = gen.chance(60);
        const Layout plain = lay_out(values, rows, cols, static_cast<std::ptrdiff_t>(cols), 1, 0);
        const Outcome reference = outcome([&] { return finalize_heatmap_option_by_document(doc, plain.matrix, flag); });
        for (const Layout& layout : layouts(values, rows, cols)) {
            ASSERT_EQ(outcome([&] { return finalize_heatmap_option(doc, layout.matrix, flag); }), reference) << doc;
            ASSERT_EQ(outcome([&] { return finalize_heatmap_option_by_document(doc, layout.matrix, flag); }), reference)
                << doc;
        }
    }
}

TEST(Finalizers, ComparisonAgainstDocumentPathInEveryLayout) {
    for (std::uint64_t seed = 0; seed < 3000; ++seed) {
        activity_test::DocGen gen(seed + 200000, seed % 3 == 0);
        const std::size_t rows = static_cast<std::size_t>(gen.pick(4)), cols = static_cast<std::size_t>(gen.pick(5));
        const std::string doc = gen.document(static_cast<int>(rows));
        std::vector<double> values(rows * cols);
        for (double& v : values) v = random_value(gen);
        std::vector<CountRow> counts(rows, CountRow(cols));
        for (CountRow& row : counts) {
            for (auto& count : row) {
                if (!gen.chance(20)) count = random_count(gen);
            }
        }
        std::vector<std::string_view> colors(cols);
        for (auto& color : colors) color = random_color(gen);
        std::vector<double> opacities(rows);
        for (double& o : opacities) o = gen.chance(80) ? gen.pick(11) / 10.0 : random_value(gen);
        switch (gen.pick(20)) {
            case 0: colors.push_back("x"); break;
            case 1: opacities.push_back(1.0); break;
            case 2:
                if (!counts.empty()) counts.back().push_back(1);
                break;
            case 3: counts.emplace_back(cols); break;
            default: break;
        }
        const Layout plain = lay_out(values, rows, cols, static_cast<std::ptrdiff_t>(cols), 1, 0);
        const Outcome reference = outcome(
            [&] { return finalize_comparison_option_by_document(doc, plain.matrix, counts, colors, opacities); });
        for (const Layout& layout : layouts(values, rows, cols)) {
            ASSERT_EQ(outcome([&] { return finalize_comparison_option(doc, layout.matrix, counts, colors, opacities); }),
                      reference)
                << doc;
        }
    }
}

TEST(Finalizers, CheckOrder) {
    const std::vector<double> p = {1.0, 2.0};
    const std::vector<std::int64_t> c = {1};
    const std::vector<std::string_view> k = {"a", "b"};
    // Lengths before decoding.
    EXPECT_EQ(outcome([&] { return finalize_bar_option("not json", p, c, k); }),
              (Outcome{"ValueError", "percentages, counts, and colors must have equal length"}));
    // Decoding before the series look-up.
    EXPECT_EQ(outcome([&] { return finalize_bar_option("[]", {}, {}, {}); }),
              (Outcome{"ValueError", "option JSON root must be an object"}));
    EXPECT_EQ(outcome([&] { return finalize_bar_option("{}", {}, {}, {}); }),
              (Outcome{"InternalFailure", "cannot access index 0 of JSON null"}));
    const std::vector<double> m = {1.0, 2.0};
    const StridedMatrix matrix{reinterpret_cast<const std::byte*>(m.data()), 1, 2, 16, 8};
    const std::vector<CountRow> counts = {CountRow{1, std::nullopt}};
    EXPECT_EQ(outcome([&] { return finalize_comparison_option("nope", matrix, counts, k, std::vector<double>{}); }),
              (Outcome{"ValueError", "comparison percentages, counts, colors, and opacities have incompatible dimensions"}));
    EXPECT_EQ(outcome([&] { return finalize_comparison_option("{\"series\":{}}", matrix, counts, k, std::vector<double>{1}); }),
              (Outcome{"ValueError", "option JSON must contain a series array"}));
    EXPECT_EQ(outcome([&] { return finalize_comparison_option("{\"series\":[]}", matrix, counts, k, std::vector<double>{1}); }),
              (Outcome{"ValueError", "comparison percentages must have one row per series"}));
    EXPECT_EQ(outcome([&] { return finalize_comparison_option("{\"series\":[7]}", matrix, counts, k, std::vector<double>{1}); }),
              (Outcome{"InternalFailure", "cannot access key \"data\" in JSON number"}));
    EXPECT_EQ(outcome([&] { return finalize_heatmap_option("{\"series\":[{}],\"visualMap\":[]}", matrix, true); }),
              (Outcome{"InternalFailure", "cannot access key \"max\" in JSON array"}));
    EXPECT_EQ(outcome([&] { return finalize_heatmap_option("{\"series\":[{}],\"visualMap\":[]}", matrix, false); }),
              (Outcome{"ok", "{\"series\":[{\"data\":[[0,0,1.0],[1,0,2.0]]}],\"visualMap\":[]}"}));
}

}  // namespace
