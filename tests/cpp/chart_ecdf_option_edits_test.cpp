#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chart/ecdf_option_edits.hpp"
#include "common/errors.hpp"
#include "json/reader.hpp"
#include "json/writer.hpp"

namespace {

using tessel::chart::apply_ecdf_option_edits;
using tessel::chart::EcdfSeriesInput;
using tessel::chart::EcdfTexts;

const EcdfTexts texts{"T", "X", "km", "X (km)", "#fff", "#333", "#ddd", "sans", "serif", "mono"};

EcdfSeriesInput record(std::optional<std::vector<std::uint32_t>> dash) {
    EcdfSeriesInput r;
    r.dash = std::move(dash);
    return r;
}

std::string edited(const char* document, const std::vector<EcdfSeriesInput>& records = {}) {
    tessel::json::JsonValue root = tessel::json::read_json(document);
    apply_ecdf_option_edits(root, records, texts);
    return tessel::json::to_json(root);
}

const char* const root_tail = R"j("textStyle":{"fontFamily":"sans","color":"#333"},"_meta":{"xUnit":"km","xLabel":"X (km)"})j";

TEST(ChartEcdfOptionEdits, EmptyRootGetsTextStyleAndMeta) {
    EXPECT_EQ(edited("{}"), std::string("{") + root_tail + "}");
    EXPECT_EQ(edited(R"j({"_meta":1,"a":2,"textStyle":3})j"),
              R"j({"_meta":{"xUnit":"km","xLabel":"X (km)"},"a":2,"textStyle":{"fontFamily":"sans","color":"#333"}})j");
}

TEST(ChartEcdfOptionEdits, GridArrayOfOneBecomesTheObject) {
    EXPECT_EQ(edited(R"j({"grid":[{"left":1}]})j"), std::string(R"j({"grid":{"left":1},)j") + root_tail + "}");
    EXPECT_EQ(edited(R"j({"grid":[{},{}]})j"), std::string(R"j({"grid":[{},{}],)j") + root_tail + "}");
    EXPECT_EQ(edited(R"j({"grid":[]})j"), std::string(R"j({"grid":[],)j") + root_tail + "}");
}

TEST(ChartEcdfOptionEdits, AxesAndTooltipOfOtherShapesAreLeftAlone) {
    EXPECT_EQ(edited(R"j({"tooltip":1,"xAxis":[{}],"yAxis":"y"})j"),
              std::string(R"j({"tooltip":1,"xAxis":[{}],"yAxis":"y",)j") + root_tail + "}");
}

TEST(ChartEcdfOptionEdits, YAxisSplitLineGetsItsDashOnlyWithALineStyleObject) {
    const char* const axis_tail = R"j("axisLine":{"lineStyle":{"color":"#333","width":1.5}},"nameRotate":90)j";
    EXPECT_EQ(edited(R"j({"yAxis":{}})j"), std::string(R"j({"yAxis":{)j") + axis_tail + "}," + root_tail + "}");
    EXPECT_EQ(edited(R"j({"yAxis":{"splitLine":{"show":false}}})j"),
              std::string(R"j({"yAxis":{"splitLine":{"show":false},)j") + axis_tail + "}," + root_tail + "}");
    EXPECT_EQ(edited(R"j({"yAxis":{"nameRotate":0,"splitLine":{"lineStyle":{"type":"dashed","width":1}}}})j"),
              std::string(R"j({"yAxis":{"nameRotate":90,"splitLine":{"lineStyle":{"type":[2,5],"width":1}},)j") +
                  R"j("axisLine":{"lineStyle":{"color":"#333","width":1.5}}},)j" + root_tail + "}");
}

TEST(ChartEcdfOptionEdits, SeriesMembersKeepOrMoveAsEditsSay) {
    const std::string series = edited(
        R"j({"series":[{"emphasis":0,"lineStyle":{"type":"dashed","color":"c","width":2,"x":1},"legendIcon":0},)j"
        R"j({"lineStyle":{"color":"c","type":"dashed"}},null,{"lineStyle":{}}]})j",
        {record(std::nullopt), record(std::vector<std::uint32_t>{6, 4}), record(std::nullopt)});
    const std::string emphasis = R"j({"lineStyle":{"width":2.4}})j";
    EXPECT_EQ(series,
              std::string(R"j({"series":[{"emphasis":)j") + emphasis +
                  R"j(,"lineStyle":{"join":"round","color":"c","width":2,"x":1,"cap":"round"},)j"
                  R"j("legendIcon":"path://M0,4 L24,4"},)j"
                  R"j({"lineStyle":{"color":"c","type":[6,4],"cap":"round","join":"round"},)j"
                  R"j("legendIcon":"path://M0,4 L6,4 M10,4 L16,4 M20,4 L24,4","emphasis":)j" +
                  emphasis + R"j(},{"legendIcon":"path://M0,4 L24,4","emphasis":)j" + emphasis +
                  R"j(},{"lineStyle":{}}],)j" + root_tail + "}");
}

TEST(ChartEcdfOptionEdits, SeriesElementThatIsNoObjectIsAnInternalFailure) {
    try {
        edited(R"j({"series":[3]})j", {record(std::nullopt)});
        FAIL() << "no failure";
    } catch (const tessel::InternalFailure& e) {
        EXPECT_STREQ(e.what(), "cannot access key \"legendIcon\" in JSON number");
    }
    EXPECT_EQ(edited(R"j({"series":[3]})j"), std::string(R"j({"series":[3],)j") + root_tail + "}");
}

}  // namespace
