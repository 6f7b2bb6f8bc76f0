#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "json/value.hpp"
#include "float_text_reference.hpp"
#include "json/reader.hpp"
#include "json/writer.hpp"

namespace {

using tessel::json::JsonArray;
using tessel::json::JsonObject;
using tessel::json::JsonValue;
using tessel::json::to_json;
using tessel::json::write_json;
using tessel::json::write_json_float;
using tessel::json::write_json_signed;
using tessel::json::write_json_string;
using tessel::json::write_json_unsigned;

std::string float_text(double x) {
    std::string out;
    write_json_float(x, out);
    return out;
}

std::string string_text(std::string_view s) {
    std::string out;
    write_json_string(s, out);
    return out;
}


TEST(JsonWriter, Words) {
    EXPECT_EQ(to_json(JsonValue()), "null");
    EXPECT_EQ(to_json(JsonValue::boolean(true)), "true");
    EXPECT_EQ(to_json(JsonValue::boolean(false)), "false");
}

TEST(JsonWriter, Integers) {
    EXPECT_EQ(to_json(JsonValue::from_unsigned(0)), "0");
    EXPECT_EQ(to_json(JsonValue::from_unsigned(std::numeric_limits<std::uint64_t>::max())),
              "18446744073709551615");
    EXPECT_EQ(to_json(JsonValue::from_signed(-1)), "-1");
    EXPECT_EQ(to_json(JsonValue::from_signed(std::numeric_limits<std::int64_t>::min())),
              "-9223372036854775808");
    std::string out = "x";
    write_json_unsigned(42, out);
    write_json_signed(-42, out);
    write_json_signed(7, out);
    EXPECT_EQ(out, "x42-427");
}

// Integers below a million are spelled from digit tables: every length and
// the zeros inside them, at the table boundaries and in between.
TEST(JsonWriter, IntegersAroundTheTableBoundaries) {
    std::vector<std::uint64_t> values;
    for (std::uint64_t u = 0; u < 2000; ++u) values.push_back(u);
    for (std::uint64_t base : {10'000u, 100'000u, 1'000'000u}) {
        for (std::uint64_t u = base - 1100; u < base + 1100; ++u) values.push_back(u);
    }
    for (std::uint64_t u = 7; u < 2'000'000; u += 977) values.push_back(u);
    for (const std::uint64_t u : values) {
        ASSERT_EQ(to_json(JsonValue::array({JsonValue::from_unsigned(u), JsonValue::from_unsigned(u)})),
                  "[" + std::to_string(u) + "," + std::to_string(u) + "]");
    }
}

TEST(JsonWriter, FloatForms) {
    EXPECT_EQ(float_text(0.0), "0.0");
    EXPECT_EQ(float_text(-0.0), "-0.0");
    EXPECT_EQ(float_text(1.0), "1.0");
    EXPECT_EQ(float_text(-2.0), "-2.0");
    EXPECT_EQ(float_text(100.0), "100.0");
    EXPECT_EQ(float_text(12.5), "12.5");
    EXPECT_EQ(float_text(0.1), "0.1");
    EXPECT_EQ(float_text(0.001), "0.001");
    EXPECT_EQ(float_text(1e-5), "0.00001");
    EXPECT_EQ(float_text(1.25e-5), "0.0000125");
    EXPECT_EQ(float_text(1e-6), "1e-6");
    EXPECT_EQ(float_text(1.5e-7), "1.5e-7");
    EXPECT_EQ(float_text(1e15), "1000000000000000.0");
    EXPECT_EQ(float_text(9999999999999998.0), "9999999999999998.0");
    EXPECT_EQ(float_text(1e16), "1e+16");
    EXPECT_EQ(float_text(1.5e300), "1.5e+300");
    EXPECT_EQ(float_text(123456789012.345), "123456789012.345");
    EXPECT_EQ(float_text(1.0 / 3.0), "0.3333333333333333");
    EXPECT_EQ(float_text(2.0 / 3.0), "0.6666666666666666");
    EXPECT_EQ(float_text(std::numeric_limits<double>::max()), "1.7976931348623157e+308");
    EXPECT_EQ(float_text(-std::numeric_limits<double>::max()), "-1.7976931348623157e+308");
    EXPECT_EQ(float_text(std::numeric_limits<double>::denorm_min()), "5e-324");
    EXPECT_EQ(float_text(std::numeric_limits<double>::min()), "2.2250738585072014e-308");
    EXPECT_EQ(float_text(18446744073709551616.0), "1.8446744073709552e+19");
    EXPECT_EQ(float_text(0.55), "0.55");
    EXPECT_EQ(float_text(2.4), "2.4");
    EXPECT_EQ(float_text(-12.34), "-12.34");
    EXPECT_EQ(float_text(68719476736.5), "68719476736.5");  // at the short-decimal bound
}

TEST(JsonWriter, NonFiniteFloatsAreNull) {
    EXPECT_EQ(float_text(std::nan("")), "null");
    EXPECT_EQ(float_text(std::numeric_limits<double>::infinity()), "null");
    EXPECT_EQ(float_text(-std::numeric_limits<double>::infinity()), "null");
}

// Floats with few decimals take a short path; it must give the same text as
// the shortest-digits path for every double.
TEST(JsonWriter, FloatFormMatchesIndependentReference) {
    std::mt19937_64 rng(99);
    const double scales[] = {1, 10, 100, 1000, 10000, 100000, 1e6, 1e7};
    for (int i = 0; i < 400000; ++i) {
        double x;
        switch (i % 6) {
            case 0: {  // a few decimals, any magnitude up to beyond the short path
                const double m = static_cast<double>(rng() % 100000000000000ULL >> (rng() % 48));
                x = m / scales[rng() % 8];
                break;
            }
            case 1:  // any bit pattern
                x = std::bit_cast<double>(rng());
                break;
            case 2:  // around the short path's upper bound 2^36
                x = std::ldexp(1.0, 36) +
                    static_cast<double>(static_cast<std::int64_t>(rng() % 2001) - 1000) / 16;
                break;
            case 3:  // uniform in [0, 1000)
                x = static_cast<double>(rng() >> 11) * 0x1p-53 * 1000;
                break;
            case 4: {  // a few decimals moved by a unit or two in the last place: just not the nearest
                x = static_cast<double>(rng() % 1000000000000000ULL >> (rng() % 50)) / 10000;
                const int steps = static_cast<int>(rng() % 5) - 2;
                for (int s = 0; s < std::abs(steps); ++s) x = std::nextafter(x, steps > 0 ? 1e300 : 0.0);
                break;
            }
            default: {  // powers of two and their neighbours, where the spacing of doubles halves
                x = std::ldexp(1.0, static_cast<int>(rng() % 56) - 16);
                const int steps = static_cast<int>(rng() % 3) - 1;
                if (steps != 0) x = std::nextafter(x, steps > 0 ? 1e300 : 0.0);
                break;
            }
        }
        if (!std::isfinite(x)) continue;
        if (rng() % 2) x = -x;
        ASSERT_EQ(float_text(x), reference_float_text(x)) << std::hexfloat << x;
        // Inside a document, where few-decimal floats are spelled from an integer.
        ASSERT_EQ(to_json(JsonValue::array({JsonValue::from_double(x)})), "[" + reference_float_text(x) + "]")
            << std::hexfloat << x;
    }
}

TEST(JsonWriter, StringEscapes) {
    EXPECT_EQ(string_text(""), "\"\"");
    EXPECT_EQ(string_text("plain"), "\"plain\"");
    EXPECT_EQ(string_text("a\"b\\c"), R"("a\"b\\c")");
    EXPECT_EQ(string_text("\b\t\n\f\r"), R"("\b\t\n\f\r")");
    EXPECT_EQ(string_text("\x01\x1f\x7f"), "\"\\u0001\\u001f\x7f\"");
    EXPECT_EQ(string_text(std::string_view("\0", 1)), R"("\u0000")");
    EXPECT_EQ(string_text("\x0b\x1b"), R"("\u000b\u001b")");
    EXPECT_EQ(string_text("a/b"), "\"a/b\"");
    EXPECT_EQ(string_text("h\xc3\xa9 \xf0\x9f\x98\x80"), "\"h\xc3\xa9 \xf0\x9f\x98\x80\"");
    // Many escapes make the text grow well past the room first reserved.
    const std::string controls(1000, '\x01');
    std::string expected = "\"";
    for (int i = 0; i < 1000; ++i) expected += "\\u0001";
    EXPECT_EQ(string_text(controls), expected + "\"");
}

// Strings are scanned sixteen bytes at a time: an escape must be found at any
// offset of a block and in the bytes after the last whole block, by both
// string writers and in keys, and read back to the same bytes.
TEST(JsonWriter, StringEscapesAtEveryOffset) {
    const auto model = [](std::string_view text) {
        std::string out = "\"";
        for (const char c : text) {
            const auto u = static_cast<unsigned char>(c);
            if (c == '"' || c == '\\') {
                out += '\\';
                out += c;
            } else if (u < 0x20) {
                static const char* const kShort[] = {"b", "t", "n", nullptr, "f", "r"};
                const char* letter = u >= 8 && u <= 13 ? kShort[u - 8] : nullptr;
                char hex[8];
                std::snprintf(hex, sizeof hex, "u%04x", u);
                out += '\\';
                out += letter != nullptr ? letter : hex;
            } else {
                out += c;
            }
        }
        return out + "\"";
    };
    std::mt19937_64 rng(5);
    const char alphabet[] = {'a', 'Z', '7', ' ', '"', '\\', '\n', '\x01', '\x1f', '\x7f', '\xc3', '\xa9'};
    for (int i = 0; i < 20000; ++i) {
        std::string text(rng() % 70, 'x');
        for (char& c : text) c = rng() % 4 == 0 ? alphabet[rng() % sizeof alphabet] : static_cast<char>('a' + rng() % 26);
        const std::string expected = model(text);
        ASSERT_EQ(string_text(text), expected);
        ASSERT_EQ(to_json(JsonValue::string(text)), expected);
        ASSERT_EQ(tessel::json::read_json(expected).as_string(), text);
        // As keys, first and after another member.
        JsonObject object;
        object.insert_or_assign(text, JsonValue());
        ASSERT_EQ(to_json(JsonValue::object(object)), "{" + expected + ":null}");
        object.remove_moving_last(text);
        object.insert_or_assign("k", JsonValue::from_unsigned(1));
        object.insert_or_assign(text + "!", JsonValue());
        ASSERT_EQ(to_json(JsonValue::object(object)),
                  "{\"k\":1," + expected.substr(0, expected.size() - 1) + "!\":null}");
    }
}

// Lists of scalars inside arrays (chart points and cells), of every short
// length, first and later, of any scalar kind, with their commas.
TEST(JsonWriter, ShortScalarListsInsideArrays) {
    const JsonValue scalars[] = {JsonValue(), JsonValue::boolean(true), JsonValue::from_unsigned(7),
                                 JsonValue::from_signed(-12), JsonValue::from_double(0.25)};
    const char* const texts[] = {"null", "true", "7", "-12", "0.25"};
    for (std::size_t n = 0; n <= 10; ++n) {
        JsonArray list;
        std::string list_text = "[";
        for (std::size_t i = 0; i < n; ++i) {
            list.push_back(scalars[i % 5]);
            list_text += (i ? "," : "") + std::string(texts[i % 5]);
        }
        list_text += "]";
        JsonArray with_string = list;
        with_string.push_back(JsonValue::string("s"));
        const std::string with_string_text = list_text.substr(0, list_text.size() - 1) + (n ? "," : "") + "\"s\"]";
        const JsonValue outer = JsonValue::array({JsonValue::array(list), JsonValue::from_unsigned(1),
                                                  JsonValue::array(list), JsonValue::array(with_string)});
        EXPECT_EQ(to_json(outer), "[" + list_text + ",1," + list_text + "," + with_string_text + "]");
    }
}

TEST(JsonWriter, ArraysAndObjectsInOrder) {
    JsonObject style;
    style.insert_or_assign("color", JsonValue::string("#111111"));
    style.insert_or_assign("width", JsonValue::from_double(1.5));
    JsonObject root;
    root.insert_or_assign("z", JsonValue::array({JsonValue::from_unsigned(1), JsonValue(),
                                                 JsonValue::array(), JsonValue::object()}));
    root.insert_or_assign("a", JsonValue::object(std::move(style)));
    root.insert_or_assign("key \"q\"", JsonValue::from_signed(-3));
    EXPECT_EQ(to_json(JsonValue::object(std::move(root))),
              R"({"z":[1,null,[],{}],"a":{"color":"#111111","width":1.5},"key \"q\"":-3})");
}

TEST(JsonWriter, WriteAppends) {
    std::string out = "prefix:";
    write_json(JsonValue::array({JsonValue::boolean(true)}), out);
    write_json_string("s", out);
    EXPECT_EQ(out, "prefix:[true]\"s\"");
}

TEST(JsonWriter, DeepNesting) {
    JsonValue v = JsonValue::from_unsigned(0);
    for (int i = 0; i < 127; ++i) v = JsonValue::array({std::move(v)});
    EXPECT_EQ(to_json(v), std::string(127, '[') + "0" + std::string(127, ']'));
}

}  // namespace
