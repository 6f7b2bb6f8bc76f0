#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "chart/document_text.hpp"
#include "chart/ecdf_option.hpp"
#include "json/reader.hpp"
#include "json/writer.hpp"

namespace {

using namespace tessel::chart;
using tessel::json::JsonValue;

// Equal texts, or where they first differ (documents here are long).
::testing::AssertionResult same_text(const std::string& a, const std::string& b) {
    if (a == b) return ::testing::AssertionSuccess();
    std::size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
    const std::size_t from = i < 40 ? 0 : i - 40;
    return ::testing::AssertionFailure() << "differ at " << i << ":\n  " << a.substr(from, 80) << "\n  "
                                         << b.substr(from, 80);
}

const EcdfTexts example_texts{"T",       "Distance",  "km",         "Distance (km)", "#ffffff",
                              "#333333", "#dddddd",   "sans-serif", "serif",         "monospace"};

EcdfSeriesInput curve(std::string name, const std::vector<std::vector<double>>& points, std::string color,
                      std::optional<std::vector<std::uint32_t>> dash) {
    EcdfSeriesInput s{std::move(name), {}, {}, std::move(color), std::move(dash)};
    for (const auto& point : points) {
        s.coords.insert(s.coords.end(), point.begin(), point.end());
        s.point_ends.push_back(s.coords.size());
    }
    return s;
}

// The flat data written in place of the stand-ins gives the text of the whole
// tree with the data as ordinary arrays.
TEST(ChartEcdfOption, FlatDataMatchesTheTreeWithItsArrays) {
    std::mt19937_64 rng(11);
    const double specials[] = {0.0, -0.0, std::numeric_limits<double>::quiet_NaN(),
                               std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                               5e-324, 1e300, 1e-7, 123456789.125};
    for (int round = 0; round < 200; ++round) {
        std::vector<EcdfSeriesInput> series;
        const std::size_t count = rng() % 4;
        for (std::size_t i = 0; i < count; ++i) {
            std::vector<std::vector<double>> points(rng() % (round % 2 == 0 ? 3 : 2000));
            for (auto& point : points) {
                point.resize(rng() % 4);
                for (double& x : point) {
                    x = rng() % 5 == 0 ? specials[rng() % std::size(specials)]
                                       : std::ldexp(static_cast<double>(rng() >> 11), static_cast<int>(rng() % 80) - 60);
                }
            }
            std::optional<std::vector<std::uint32_t>> dash;
            if (rng() % 2 == 0) dash = std::vector<std::uint32_t>{static_cast<std::uint32_t>(rng() % 9), 3};
            series.push_back(curve("s\"" + std::to_string(i), points, "#" + std::to_string(i), dash));
        }
        const OptionDocument document = build_ecdf_option_document(series, example_texts);
        JsonValue tree = document.root;
        if (JsonValue* elements = tree.member("series")) {
            for (std::size_t i = 0; i < series.size(); ++i) {
                JsonValue* data = elements->as_array()[i].member("data");
                ASSERT_EQ(data != nullptr, series[i].point_count() != 0);
                if (data == nullptr) continue;
                tessel::json::JsonArray items;
                for (std::size_t p = 0; p < series[i].point_count(); ++p) {
                    tessel::json::JsonArray item;
                    const FlatPoints points = series[i].points();
                    for (double x : points.item(p)) item.push_back(JsonValue::from_double(x));
                    items.push_back(JsonValue::array(std::move(item)));
                }
                *data = JsonValue::array(std::move(items));
            }
        }
        const std::string text = to_json_text(document);
        ASSERT_TRUE(same_text(text, tessel::json::to_json(tree)));
        ASSERT_NO_THROW(tessel::json::read_json(text));
    }
}

// Large data is split in two parts that may be written by two threads: the
// text is the one-part text, wherever the split falls.
TEST(ChartEcdfOption, SplitDataGivesTheSameText) {
    std::mt19937_64 rng(29);
    for (int round = 0; round < 6; ++round) {
        std::vector<EcdfSeriesInput> series;
        for (int i = 0; i < 1 + round % 3; ++i) {
            std::vector<std::vector<double>> points(20'000 + rng() % 40'000);
            for (auto& point : points) {
                point.resize(rng() % 8 == 0 ? rng() % 4 : 2);
                for (double& x : point) x = std::ldexp(static_cast<double>(rng() >> 11), static_cast<int>(rng() % 80) - 60);
            }
            series.push_back(curve("s" + std::to_string(i), points, "#0" + std::to_string(i), std::nullopt));
        }
        const OptionDocument document = build_ecdf_option_document(series, example_texts);
        const DocumentText one(document, false);
        const DocumentText split(document, true);
        ASSERT_GT(split.size_bound(), one.size_bound());  // the second part has its own slack: it was split
        std::string a(one.size_bound(), '\0');
        a.resize(one.write(a.data()));
        std::string b(split.size_bound(), '\0');
        b.resize(split.write(b.data()));
        ASSERT_TRUE(same_text(a, b));
        ASSERT_TRUE(same_text(a, to_json_text(document)));
        ASSERT_NO_THROW(tessel::json::read_json(a));
    }
}

TEST(ChartEcdfOption, SeriesAreDrawnFirstOnTop) {
    const std::vector<EcdfSeriesInput> three(3, curve("a", {}, "#000", std::nullopt));
    const JsonValue root = build_ecdf_option_document(three, example_texts).root;
    const auto& series = root.member("series")->as_array();
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(series[i].member("z")->as_unsigned(), 4 - i);
    EXPECT_EQ(series[0].member("data"), nullptr);
}

}  // namespace
