#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "chart/legend_icon.hpp"

namespace {

using tessel::chart::legend_icon_path;

// Model: the boundaries where dashes and gaps meet, cut at the width; dash i
// runs from boundary 2i to 2i + 1.
std::string model_icon(const std::vector<std::uint32_t>& dash) {
    std::vector<std::uint64_t> bounds = {0};
    for (std::size_t k = 0; bounds.back() < 24; ++k) {
        bounds.push_back(std::min<std::uint64_t>(bounds.back() + dash[k % dash.size()], 24));
    }
    if (bounds.size() % 2 == 0) bounds.push_back(24);  // ended on a dash: the pair is complete
    std::string path = "path://";
    for (std::size_t i = 0; i + 1 < bounds.size(); i += 2) {
        if (i != 0) path += ' ';
        path += "M" + std::to_string(bounds[i]) + ",4 L" + std::to_string(bounds[i + 1]) + ",4";
    }
    return path;
}

TEST(ChartLegendIcon, ExamplePatterns) {
    const std::pair<std::vector<std::uint32_t>, std::string> cases[] = {
        {{}, "path://M0,4 L24,4"},
        {{6, 4}, "path://M0,4 L6,4 M10,4 L16,4 M20,4 L24,4"},
        {{4, 4}, "path://M0,4 L4,4 M8,4 L12,4 M16,4 L20,4"},
        {{30}, "path://M0,4 L24,4"},
        {{24, 1}, "path://M0,4 L24,4"},
        {{3}, "path://M0,4 L3,4 M6,4 L9,4 M12,4 L15,4 M18,4 L21,4"},
        {{0, 6}, "path://M0,4 L0,4 M6,4 L6,4 M12,4 L12,4 M18,4 L18,4"},
        {{4294967295u, 4294967295u}, "path://M0,4 L24,4"},
    };
    for (const auto& [dash, icon] : cases) EXPECT_EQ(legend_icon_path(dash), icon);

    const std::string ones = legend_icon_path(std::vector<std::uint32_t>{1, 1});
    EXPECT_EQ(std::count(ones.begin(), ones.end(), 'M'), 12);
    EXPECT_TRUE(ones.ends_with("M22,4 L23,4"));
}

// Patterns that never advance have nothing to repeat: drawn as a solid line.
TEST(ChartLegendIcon, EmptyAndAllZeroPatternsDrawTheSolidLine) {
    for (const std::vector<std::uint32_t>& dash : {std::vector<std::uint32_t>{}, {0}, {0, 0}, {0, 0, 0}}) {
        EXPECT_EQ(legend_icon_path(dash), "path://M0,4 L24,4");
    }
}

TEST(ChartLegendIcon, RandomPatternsMatchTheModel) {
    std::mt19937 rng(5);
    for (int round = 0; round < 20000; ++round) {
        std::vector<std::uint32_t> dash(1 + rng() % 5);
        const std::uint32_t largest = round % 10 == 0 ? 4294967295u : 9;
        for (auto& d : dash) d = rng() % 3 == 0 ? 0 : std::uniform_int_distribution<std::uint32_t>(0, largest)(rng);
        if (std::all_of(dash.begin(), dash.end(), [](std::uint32_t d) { return d == 0; })) continue;
        ASSERT_EQ(legend_icon_path(dash), model_icon(dash)) << ::testing::PrintToString(dash);
    }
}

}  // namespace
