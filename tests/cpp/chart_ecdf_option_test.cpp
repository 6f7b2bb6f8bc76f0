#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

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

const std::string example_head =
    R"j({"title":[{"text":"T","textStyle":{"color":"#333333","fontWeight":500,"fontFamily":"serif","fontSize":32.0},"left":0,"top":0}],)j"
    R"j("animation":false,)j"
    R"j("tooltip":{"trigger":"axis","padding":[10.0,14.0],"backgroundColor":"#ffffff","borderColor":"#333333","borderWidth":1.25,"extraCssText":"border-radius:0; box-shadow:none; min-width:210px;","textStyle":{"color":"#333333"},"axisPointer":{"type":"line","lineStyle":{"color":"#333333","type":[2,4],"width":1,"opacity":0.55},"label":{"show":false}}},)j"
    R"j("legend":{"top":12,"right":0,"itemGap":22.0,"itemWidth":24.0,"itemHeight":8.0,"textStyle":{"color":"#333333","fontFamily":"sans-serif","fontSize":15.0}},)j"
    R"j("grid":{"left":76,"top":64,"right":28,"containLabel":false},)j"
    R"j("xAxis":{"type":"value","name":"Distance","nameLocation":"middle","nameTextStyle":{"color":"#333333","fontFamily":"monospace","fontSize":14.0},"nameGap":38.0,"min":0,"splitNumber":5.0,"axisLabel":{"fontFamily":"monospace","fontSize":16.0,"color":"#333333"},"axisTick":{"length":6.0,"lineStyle":{"color":"#333333","width":1.25}},"splitLine":{"show":false},"axisLine":{"lineStyle":{"color":"#333333","width":1.5}}},)j"
    R"j("yAxis":{"type":"value","name":"F(X)","nameLocation":"middle","nameTextStyle":{"color":"#333333","fontFamily":"monospace","fontSize":14.0},"nameGap":56.0,"min":0,"max":1,"interval":0.2,"axisLabel":{"fontFamily":"monospace","fontSize":16.0,"color":"#333333"},"axisTick":{"length":6.0,"lineStyle":{"color":"#333333","width":1.25}},"splitLine":{"lineStyle":{"color":"#dddddd","width":1.0,"type":[2,5]}},"axisLine":{"lineStyle":{"color":"#333333","width":1.5}},"nameRotate":90},)j"
    R"j("backgroundColor":"#ffffff",)j";
const std::string example_tail =
    R"j("textStyle":{"fontFamily":"sans-serif","color":"#333333"},"_meta":{"xUnit":"km","xLabel":"Distance (km)"}})j";

TEST(ChartEcdfOption, WorkedExampleAndItsDashedVariant) {
    const std::vector<EcdfSeriesInput> solid = {curve("A", {{1.0, 0.5}, {2.0, 1.0}}, "#1f77b4", std::nullopt)};
    EXPECT_EQ(build_ecdf_option_json(solid, example_texts),
              example_head +
                  R"j("series":[{"type":"line","name":"A","showSymbol":false,"lineStyle":{"color":"#1f77b4","width":2.4,"cap":"round","join":"round"},"smooth":0.35,"z":2,"data":[[1.0,0.5],[2.0,1.0]],"legendIcon":"path://M0,4 L24,4","emphasis":{"lineStyle":{"width":2.4}}}],)j" +
                  example_tail);
    const std::vector<EcdfSeriesInput> dashed = {
        curve("A", {{1.0, 0.5}, {2.0, 1.0}}, "#1f77b4", std::vector<std::uint32_t>{6, 4})};
    EXPECT_EQ(build_ecdf_option_json(dashed, example_texts),
              example_head +
                  R"j("series":[{"type":"line","name":"A","showSymbol":false,"lineStyle":{"color":"#1f77b4","width":2.4,"type":[6,4],"cap":"round","join":"round"},"smooth":0.35,"z":2,"data":[[1.0,0.5],[2.0,1.0]],"legendIcon":"path://M0,4 L6,4 M10,4 L16,4 M20,4 L24,4","emphasis":{"lineStyle":{"width":2.4}}}],)j" +
                  example_tail);
    EXPECT_EQ(build_ecdf_option_json({}, example_texts), example_head + example_tail);
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

TEST(ChartEcdfOption, SeriesAreDrawnFirstOnTop) {
    const std::vector<EcdfSeriesInput> three(3, curve("a", {}, "#000", std::nullopt));
    const JsonValue root = build_ecdf_option_document(three, example_texts).root;
    const auto& series = root.member("series")->as_array();
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(series[i].member("z")->as_unsigned(), 4 - i);
    EXPECT_EQ(series[0].member("data"), nullptr);
}

}  // namespace
