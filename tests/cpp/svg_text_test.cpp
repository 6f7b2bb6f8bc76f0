#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "svg/svg_text.hpp"

namespace {

using namespace std::string_literals;

std::string escaped(std::string_view text) {
    std::string out;
    tessel::svg::append_svg_text(text, out);
    return out;
}

struct EscapeCase {
    std::string text;
    std::string escaped;
};

class SvgEscape : public testing::TestWithParam<EscapeCase> {};

TEST_P(SvgEscape, ReplacesMarkupAndDropsCharactersXmlCannotHold) {
    EXPECT_EQ(escaped(GetParam().text), GetParam().escaped);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SvgEscape,
    testing::Values(EscapeCase{"", ""}, EscapeCase{"#1f77b4", "#1f77b4"}, EscapeCase{"a & b", "a &amp; b"},
                    EscapeCase{"<w>", "&lt;w&gt;"}, EscapeCase{"\"q\" it's", "&quot;q&quot; it's"},
                    EscapeCase{"&amp;", "&amp;amp;"}, EscapeCase{"\xC3\xA9\xE6\x97\xA5", "\xC3\xA9\xE6\x97\xA5"},
                    EscapeCase{"a\0b\x01\x08\x0B\x0C\x1F"s, "ab"}, EscapeCase{"\t\n\r\x7F", "\t\n\r\x7F"},
                    // U+FFFE and U+FFFF go; U+FFFD, U+FEFF and U+EFBF stay.
                    EscapeCase{"x\xEF\xBF\xBEy\xEF\xBF\xBFz", "xyz"}, EscapeCase{"x\xEF\xBF\xBF", "x"},
                    EscapeCase{"\xEF\xBF\xBD\xEF\xBB\xBF\xEE\xBE\xBF", "\xEF\xBF\xBD\xEF\xBB\xBF\xEE\xBE\xBF"},
                    // A cut-off sequence at the end is copied, never read past.
                    EscapeCase{"a\xEF\xBF", "a\xEF\xBF"}, EscapeCase{"\xEF", "\xEF"}));

struct NumberCase {
    double value;
    const char* two_decimal;
    const char* whole_number;
};

class SvgNumberForms : public testing::TestWithParam<NumberCase> {};

TEST_P(SvgNumberForms, RoundExactValueTiesToEven) {
    std::string two, whole;
    tessel::svg::append_two_decimal(GetParam().value, two);
    tessel::svg::append_whole_number(GetParam().value, whole);
    EXPECT_EQ(two, GetParam().two_decimal);
    EXPECT_EQ(whole, GetParam().whole_number);
}

// The coordinate and colour forms, with the ties of the heatmap shades.
INSTANTIATE_TEST_SUITE_P(Values, SvgNumberForms,
                         testing::Values(NumberCase{302.6666666666667, "302.67", "303"}, NumberCase{-1010, "-1010.00", "-1010"},
                                         NumberCase{172.5, "172.50", "172"}, NumberCase{197.5, "197.50", "198"},
                                         NumberCase{208.75, "208.75", "209"}, NumberCase{-0.0, "-0.00", "-0"}));

TEST(SvgIntegerForm, WholeRangeOfSizes) {
    std::string out;
    tessel::svg::append_integer(0, out);
    out += ' ';
    tessel::svg::append_integer(std::numeric_limits<std::uint32_t>::max(), out);
    EXPECT_EQ(out, "0 4294967295");
}

}  // namespace
