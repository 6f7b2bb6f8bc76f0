#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "chart/option_text.hpp"
#include "chart/option_tree.hpp"
#include "chart/option_to_json.hpp"
#include "json/writer.hpp"

namespace {

using namespace tessel::chart;

std::string text_of(const OptionTree& document) {
    const OptionText text(document);
    std::string out(text.size_bound(), '\0');
    const OptionText::Parts parts = text.write_parts(out.data());
    return std::string(parts.head).append(parts.tail);
}

std::string json_of(const ChartOption& option) { return text_of(to_option_tree(option)); }

AxisOption named_axis(const char* name) {
    AxisOption axis;
    axis.name = name;
    return axis;
}

TEST(ChartOptionModel, EmptyOptionIsAnEmptyObject) { EXPECT_EQ(json_of(ChartOption{}), "{}"); }

TEST(ChartOptionModel, MembersFollowTheComponentOrderWhateverTheSettingOrder) {
    AxisOption axis;
    axis.split_line = SplitLineOption{};
    axis.interval = 0.2;
    axis.max = PositionValue{std::int64_t{1}};
    axis.min = PositionValue{std::int64_t{0}};
    axis.name_gap = 56.0;
    axis.name = "F(X)";
    axis.type = AxisType::Value;
    ChartOption option;
    option.background_color = "#fff";
    option.y_axis.push_back(axis);
    option.animation = false;
    EXPECT_EQ(json_of(option),
              R"j({"animation":false,"yAxis":{"type":"value","name":"F(X)","nameGap":56.0,"min":0,"max":1,)j"
              R"j("interval":0.2,"splitLine":{}},"backgroundColor":"#fff"})j");
}

TEST(ChartOptionModel, ListsAreArraysExceptASingleAxis) {
    ChartOption option;
    option.title.push_back(TitleOption{});
    option.grid.push_back(GridOption{});
    option.x_axis.push_back(named_axis("a"));
    option.y_axis = {named_axis("b"), named_axis("c")};
    EXPECT_EQ(json_of(option), R"j({"title":[{}],"grid":[{}],"xAxis":{"name":"a"},"yAxis":[{"name":"b"},{"name":"c"}]})j");
}

TEST(ChartOptionModel, NumberKindsAndValueVariants) {
    TitleOption title;
    title.left = PositionValue{std::int64_t{-3}};
    title.top = PositionValue{2.0};
    title.right = PositionValue{std::string("10%")};
    title.bottom = PositionValue{std::numeric_limits<double>::quiet_NaN()};
    TooltipOption tooltip;
    tooltip.padding = 4.0;
    tooltip.border_width = std::numeric_limits<double>::infinity();
    LegendOption legend;
    TextStyle style;
    style.font_weight = FontWeightName::Bold;
    legend.text_style = style;
    ChartOption option;
    option.title.push_back(title);
    option.tooltip = tooltip;
    option.legend = legend;
    LineSeries series;
    series.smooth = true;
    series.z = 7;
    option.series.push_back(series);
    EXPECT_EQ(json_of(option),
              R"j({"title":[{"left":-3,"top":2.0,"right":"10%","bottom":null}],"tooltip":{"padding":4.0,)j"
              R"j("borderWidth":null},"legend":{"textStyle":{"fontWeight":"bold"}},)j"
              R"j("series":[{"type":"line","smooth":true,"z":7}]})j");
}

TEST(ChartOptionModel, SplitLineWithOnlyShowFalse) {
    AxisOption axis;
    axis.split_line = SplitLineOption{false, std::nullopt};
    ChartOption option;
    option.x_axis.push_back(axis);
    EXPECT_EQ(json_of(option), R"j({"xAxis":{"splitLine":{"show":false}}})j");
}

// The data of a series stays outside the tree: a stand-in keeps its place.
TEST(ChartOptionModel, SeriesDataIsKeptFlatBesideTheTree) {
    const std::vector<double> coords = {1.0, 0.5, 2.0};
    const std::vector<std::size_t> ends = {2, 2, 3};
    LineSeries with_data;
    with_data.name = "a";
    with_data.data = FlatPoints{coords, ends};
    LineSeries without_data;
    without_data.name = "b";
    ChartOption option;
    option.series = {with_data, without_data};
    const OptionTree document = to_option_tree(option);
    ASSERT_EQ(document.series_data.size(), 2u);
    std::string tree;
    tessel::json::write_json(document.root, tree);
    EXPECT_EQ(tree, R"j({"series":[{"type":"line","name":"a","data":null},{"type":"line","name":"b"}]})j");
    EXPECT_EQ(text_of(document),
              R"j({"series":[{"type":"line","name":"a","data":[[1.0,0.5],[],[2.0]]},{"type":"line","name":"b"}]})j");
}

}  // namespace
