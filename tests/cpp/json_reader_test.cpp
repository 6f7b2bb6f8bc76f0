#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "json/reader.hpp"
#include "json/string_scan.hpp"
#include "json/value.hpp"
#include "json/writer.hpp"

namespace {

using tessel::json::JsonValue;
using tessel::json::Kind;
using tessel::json::read_json;
using tessel::json::ReadError;
using tessel::json::ReadErrorReason;
using tessel::json::to_json;

std::string error_text(const std::string& text) {
    try {
        read_json(text);
    } catch (const ReadError& e) {
        EXPECT_EQ(e.text(), e.what());
        return e.text();
    }
    return "(no error)";
}

std::string round_trip(const std::string& text) {
    return to_json(read_json(text));
}

struct ErrorCase {
    std::string text;
    std::string expected;
};

void expect_errors(const std::vector<ErrorCase>& cases) {
    for (const ErrorCase& c : cases)
        EXPECT_EQ(error_text(c.text), c.expected) << "input: " << c.text;
}

const std::string kControl = "control character (\\u0000-\\u001F) found while parsing a string";

TEST(JsonReaderErrors, EndOfText) {
    expect_errors({
        {"", "EOF while parsing a value at line 1 column 0"},
        {"   ", "EOF while parsing a value at line 1 column 3"},
        {"\n\n", "EOF while parsing a value at line 3 column 0"},
        {"[", "EOF while parsing a list at line 1 column 1"},
        {"[1", "EOF while parsing a list at line 1 column 2"},
        {"[1,2", "EOF while parsing a list at line 1 column 4"},
        {"[1,", "EOF while parsing a value at line 1 column 3"},
        {"[1, ", "EOF while parsing a value at line 1 column 4"},
        {"[1,\n", "EOF while parsing a value at line 2 column 0"},
        {"{", "EOF while parsing an object at line 1 column 1"},
        {"{\"a\"", "EOF while parsing an object at line 1 column 4"},
        {"{\"a\":", "EOF while parsing a value at line 1 column 5"},
        {"{\"a\":1", "EOF while parsing an object at line 1 column 6"},
        {"{\"a\":1,", "EOF while parsing a value at line 1 column 7"},
        {"\"abc", "EOF while parsing a string at line 1 column 4"},
        {"\"\\", "EOF while parsing a string at line 1 column 2"},
        {"\"\\u12", "EOF while parsing a string at line 1 column 5"},
        {"\"\\ud800", "EOF while parsing a string at line 1 column 7"},
        {"\"\\ud800\\", "EOF while parsing a string at line 1 column 8"},
        {"\"\\ud800\\u", "EOF while parsing a string at line 1 column 9"},
        {"\"\\ud800\\udc0", "EOF while parsing a string at line 1 column 12"},
        {"nul", "EOF while parsing a value at line 1 column 3"},
        {"t", "EOF while parsing a value at line 1 column 1"},
        {"fals", "EOF while parsing a value at line 1 column 4"},
        {"-", "EOF while parsing a value at line 1 column 1"},
        {"[-", "EOF while parsing a value at line 1 column 2"},
        {"1.", "EOF while parsing a value at line 1 column 2"},
        {"1e", "EOF while parsing a value at line 1 column 2"},
        {"1e+", "EOF while parsing a value at line 1 column 3"},
    });
}

TEST(JsonReaderErrors, Structure) {
    expect_errors({
        {"{\"a\" 1}", "expected `:` at line 1 column 6"},
        {"[1 2]", "expected `,` or `]` at line 1 column 4"},
        {"[1}", "expected `,` or `]` at line 1 column 3"},
        {"{\"a\":1 \"b\":2}", "expected `,` or `}` at line 1 column 8"},
        {"{\"a\":1]", "expected `,` or `}` at line 1 column 7"},
        {"{1:2}", "key must be a string at line 1 column 2"},
        {"{\"a\":1,2}", "key must be a string at line 1 column 8"},
        {"{,}", "key must be a string at line 1 column 2"},
        {"[,1]", "expected value at line 1 column 2"},
        {"[1,]", "trailing comma at line 1 column 4"},
        {"[1, ]", "trailing comma at line 1 column 5"},
        {"{\"a\":1,}", "trailing comma at line 1 column 8"},
        {"{\"a\":1 , }", "trailing comma at line 1 column 10"},
        {"1 x", "trailing characters at line 1 column 3"},
        {"{}{}", "trailing characters at line 1 column 3"},
        {"[] ]", "trailing characters at line 1 column 4"},
        {"\"a\"\"b\"", "trailing characters at line 1 column 4"},
        {"1\f", "trailing characters at line 1 column 2"},
    });
}

TEST(JsonReaderErrors, ValuesAndWords) {
    expect_errors({
        {"NaN", "expected value at line 1 column 1"},
        {"Infinity", "expected value at line 1 column 1"},
        {"+1", "expected value at line 1 column 1"},
        {".5", "expected value at line 1 column 1"},
        {"'a'", "expected value at line 1 column 1"},
        {"/", "expected value at line 1 column 1"},
        {"\f1", "expected value at line 1 column 1"},
        {"[1,+1]", "expected value at line 1 column 4"},
        {"nxll", "expected ident at line 1 column 2"},
        {"falze", "expected ident at line 1 column 4"},
        {"trUe", "expected ident at line 1 column 3"},
        {"nulll", "trailing characters at line 1 column 5"},
    });
}

TEST(JsonReaderErrors, Numbers) {
    expect_errors({
        {"01", "invalid number at line 1 column 2"},
        {"00", "invalid number at line 1 column 2"},
        {"-01", "invalid number at line 1 column 3"},
        {"-a", "invalid number at line 1 column 2"},
        {"-Infinity", "invalid number at line 1 column 2"},
        {"-.5", "invalid number at line 1 column 2"},
        {"1.a", "invalid number at line 1 column 3"},
        {"1.e5", "invalid number at line 1 column 3"},
        {"1ea", "invalid number at line 1 column 3"},
        {"1e+a", "invalid number at line 1 column 4"},
        {"1e309", "number out of range at line 1 column 5"},
        {"-1e309", "number out of range at line 1 column 6"},
        {"[1e400]", "number out of range at line 1 column 6"},
        {"1e2147483647", "number out of range at line 1 column 12"},
        // The exponent overflows 32 bits at its tenth digit.
        {"1e99999999999", "number out of range at line 1 column 12"},
        {"1" + std::string(400, '0'), "number out of range at line 1 column 401"},
        {"0.1e99999999999", "number out of range at line 1 column 14"},
    });
}

TEST(JsonReaderErrors, Strings) {
    expect_errors({
        {"\"a\tb\"", kControl + " at line 1 column 3"},
        {std::string("\"a\0b\"", 5), kControl + " at line 1 column 3"},
        {"\"a\x1f\"", kControl + " at line 1 column 3"},
        {"\"a\\n\\t\x01\"", kControl + " at line 1 column 7"},  // after escapes
        // A raw line feed counts as read: column 0 of the next line.
        {"\"a\nb\"", kControl + " at line 2 column 0"},
        {"\"\\x\"", "invalid escape at line 1 column 3"},
        {"\"\\U0041\"", "invalid escape at line 1 column 3"},
        {"\"\\u12g4\"", "invalid escape at line 1 column 7"},
        {"\"\\uZZZZ\"", "invalid escape at line 1 column 7"},
        {"\"\\u12\"  ", "invalid escape at line 1 column 7"},
        {"\"\\ude00\"", "lone leading surrogate in hex escape at line 1 column 7"},
        {"\"\\udfff\"", "lone leading surrogate in hex escape at line 1 column 7"},
        {"\"\\ud800\\u0041\"", "lone leading surrogate in hex escape at line 1 column 13"},
        {"\"\\ud800\\ud800\"", "lone leading surrogate in hex escape at line 1 column 13"},
        {"\"\\ud83dx\"", "unexpected end of hex escape at line 1 column 8"},
        {"\"\\ud83d\"", "unexpected end of hex escape at line 1 column 8"},
        {"\"\\ud83d\\n\"", "unexpected end of hex escape at line 1 column 9"},
        {"\"\\ud83d\\\"", "unexpected end of hex escape at line 1 column 9"},
        {"\"\\ud83d\nx\"", "unexpected end of hex escape at line 2 column 0"},
    });
}

TEST(JsonReaderErrors, Positions) {
    expect_errors({
        {"[\n1,\n  x]", "expected value at line 3 column 3"},
        {"[\r\r x", "expected value at line 1 column 5"},  // carriage returns are no line breaks
        {"[\"\xc3\xa9\", x]", "expected value at line 1 column 8"},  // columns count bytes
        {"{\n  \"a\": 1,\n  \"b\": [1, 2,]\n}", "trailing comma at line 3 column 14"},
        {"\n\n  [1 2]", "expected `,` or `]` at line 3 column 6"},
    });
}

TEST(JsonReaderErrors, ReasonAndPositionFields) {
    try {
        read_json("{\n\"a\":1,}");
        FAIL();
    } catch (const ReadError& e) {
        EXPECT_EQ(e.reason, ReadErrorReason::TrailingComma);
        EXPECT_EQ(e.line, 2u);
        EXPECT_EQ(e.column, 7u);
        EXPECT_EQ(tessel::json::read_error_message(e.reason), "trailing comma");
    }
}

TEST(JsonReaderErrors, NestingBudget) {
    const std::string ok = std::string(127, '[') + std::string(127, ']');
    EXPECT_EQ(round_trip(ok), ok);
    EXPECT_EQ(error_text(std::string(128, '[') + std::string(128, ']')),
              "recursion limit exceeded at line 1 column 128");
    EXPECT_EQ(error_text(" " + std::string(200, '[')),
              "recursion limit exceeded at line 1 column 129");

    std::string objects;
    for (int i = 0; i < 127; ++i) objects += "{\"a\":";
    objects += "1" + std::string(127, '}');
    EXPECT_EQ(round_trip(objects), objects);
    std::string too_deep;
    for (int i = 0; i < 128; ++i) too_deep += "{\"a\":";
    EXPECT_EQ(error_text(too_deep),
              "recursion limit exceeded at line 1 column 636");  // 127 * 5 + 1

    // The budget counts the open levels, not every container read.
    std::string siblings = "[";
    for (int i = 0; i < 300; ++i) siblings += std::string(100, '[') + std::string(100, ']') + ",";
    siblings += "1]";
    EXPECT_NO_THROW(read_json(siblings));
}

TEST(JsonReader, WhitespaceAroundTokens) {
    EXPECT_EQ(round_trip(" \t\n\r[ 1 ,\t2 ,\n{ \"a\" : \"b\" } ]\r\n "), "[1,2,{\"a\":\"b\"}]");
    EXPECT_EQ(round_trip("true"), "true");
    EXPECT_EQ(round_trip("false"), "false");
    EXPECT_EQ(round_trip("null"), "null");
    EXPECT_EQ(round_trip("[]"), "[]");
    EXPECT_EQ(round_trip("{ }"), "{}");
    EXPECT_EQ(round_trip("[ ]"), "[]");
}

TEST(JsonReader, LongArraysKeepTheirElementsInOrder) {
    // Short arrays and long ones (which grow on their own) nested in each other.
    for (const int n : {255, 256, 257, 1000, 5000}) {
        std::string text = "[";
        for (int i = 0; i < n; ++i) {
            if (i > 0) text += ",";
            text += i % 7 == 0 ? "[" + std::to_string(i) + ",[" + std::to_string(-i) + "],{\"k\":[]}]"
                               : std::to_string(i) + ".5";
        }
        text += "]";
        const JsonValue v = read_json(text);
        ASSERT_EQ(v.as_array().size(), static_cast<std::size_t>(n));
        EXPECT_EQ(to_json(v), text);
        const std::string nested = "[" + text + "," + text + "]";
        EXPECT_EQ(round_trip(nested), nested);
    }
}

// A long array is given room guessed from its first elements and the text
// left: the guess may fall short (long elements first) or run far past the
// array (short elements, then much more text).
TEST(JsonReader, LongArraysWhoseFirstElementsMislead) {
    std::string long_first = "[";
    for (int i = 0; i < 300; ++i) long_first += "\"" + std::string(40, 'x') + "\",";
    for (int i = 0; i < 20000; ++i) long_first += std::to_string(i % 10) + ",";
    long_first.back() = ']';
    EXPECT_EQ(round_trip(long_first), long_first);
    EXPECT_EQ(read_json(long_first).as_array().size(), 20300u);

    std::string short_first = "[[";
    for (int i = 0; i < 400; ++i) short_first += std::to_string(i % 10) + ",";
    short_first.back() = ']';
    short_first += ",\"" + std::string(200000, 'y') + "\"]";
    const JsonValue v = read_json(short_first);
    EXPECT_EQ(to_json(v), short_first);
    const auto& inner = v.as_array()[0].as_array();
    EXPECT_EQ(inner.size(), 400u);
    EXPECT_LT(inner.capacity(), 2 * inner.size());
}

// Short arrays of numbers are read on their own path, which hands over to the
// general one at the ninth number or at any other element.
TEST(JsonReader, ShortNumberArraysInEveryForm) {
    for (const std::string text : {"[1]", "[-1,2.5,0]", "[1,2,3,4,5,6,7,8]", "[1,2,3,4,5,6,7,8,9]",
                                   "[1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17]", "[1,\"a\"]", "[1,[2]]",
                                   "[1,{}]", "[0.5,null,true]", "[[1,2],[3,4]]"}) {
        EXPECT_EQ(round_trip(text), text);
    }
    EXPECT_EQ(round_trip("[1 , 2 ,3 ]"), "[1,2,3]");
    EXPECT_EQ(round_trip("[ 1,\n2]"), "[1,2]");
    EXPECT_EQ(error_text("[1,2"), "EOF while parsing a list at line 1 column 4");
    EXPECT_EQ(error_text("[1,2,"), "EOF while parsing a value at line 1 column 5");
    EXPECT_EQ(error_text("[1,2,]"), "trailing comma at line 1 column 6");
    EXPECT_EQ(error_text("[1,2 3]"), "expected `,` or `]` at line 1 column 6");
    EXPECT_EQ(error_text("[1,-]"), "invalid number at line 1 column 5");
    EXPECT_EQ(error_text("[1,2x]"), "expected `,` or `]` at line 1 column 5");
}

TEST(JsonReader, RepeatedKeysKeepFirstPositionAndLastValue) {
    EXPECT_EQ(round_trip(R"({"b":1,"a":2,"b":3})"), R"({"b":3,"a":2})");
    EXPECT_EQ(round_trip(R"({"a":{"x":1},"a":[2]})"), R"({"a":[2]})");
    std::string large = "{";
    for (int i = 0; i < 50; ++i)
        large += "\"k" + std::to_string(i) + "\":" + std::to_string(i) + ",";
    large += "\"k7\":\"seven\",\"k0\":null}";
    const JsonValue v = read_json(large);
    EXPECT_EQ(v.as_object().size(), 50u);
    EXPECT_EQ(v.as_object().begin()[0].key, "k0");
    EXPECT_TRUE(v.member("k0")->is_null());
    EXPECT_EQ(v.as_object().begin()[7].value.as_string(), "seven");
    EXPECT_EQ(v.member("k49")->as_unsigned(), 49u);
}

// Against a model of the rule, on objects small and large whose keys often
// share a length and last letter (or repeat), at several depths in turn.
TEST(JsonReader, MembersAgainstModel) {
    std::mt19937_64 rng(17);
    const char* const pool[] = {"a", "b", "ab", "cb", "abc", "xbc", "color", "value", "count", "name", "k1", "k2"};
    for (int round = 0; round < 3000; ++round) {
        const std::size_t count = rng() % 4 == 0 ? 17 + rng() % 30 : rng() % 8;
        std::vector<std::pair<std::string, unsigned>> model;
        std::string text = "[{";
        for (std::size_t i = 0; i < count; ++i) {
            std::string key = pool[rng() % std::size(pool)];
            if (count > 16) key += std::to_string(rng() % (count + 4));
            const auto value = static_cast<unsigned>(i);
            text += (i ? ",\"" : "\"") + key + "\":" + std::to_string(value);
            auto same = std::find_if(model.begin(), model.end(), [&](const auto& m) { return m.first == key; });
            if (same == model.end()) {
                model.emplace_back(key, value);
            } else {
                same->second = value;
            }
        }
        text += "},{}]";
        const JsonValue v = read_json(text);
        const auto& object = v.as_array()[0].as_object();
        ASSERT_EQ(object.size(), model.size()) << text;
        for (std::size_t i = 0; i < model.size(); ++i) {
            ASSERT_EQ(object.begin()[i].key, model[i].first) << text;
            ASSERT_EQ(object.begin()[i].value.as_unsigned(), model[i].second) << text;
            ASSERT_EQ(object.find(model[i].first), &object.begin()[i].value) << text;
        }
        ASSERT_EQ(object.find("absent"), nullptr);
    }
}

TEST(JsonReader, NumberKinds) {
    EXPECT_EQ(round_trip("[1, 1.0, -0, 1e2, 100, -5]"), "[1,1.0,-0.0,100.0,100,-5]");

    const JsonValue max = read_json("18446744073709551615");
    EXPECT_EQ(max.kind(), Kind::Unsigned);
    EXPECT_EQ(max.as_unsigned(), std::numeric_limits<std::uint64_t>::max());
    const JsonValue beyond = read_json("18446744073709551616");
    EXPECT_EQ(beyond.kind(), Kind::Float);
    EXPECT_EQ(to_json(beyond), "1.8446744073709552e+19");

    const JsonValue min = read_json("-9223372036854775808");
    EXPECT_EQ(min.kind(), Kind::Negative);
    EXPECT_EQ(min.as_negative(), std::numeric_limits<std::int64_t>::min());
    const JsonValue below = read_json("-9223372036854775809");
    EXPECT_EQ(below.kind(), Kind::Float);
    EXPECT_EQ(below.as_float(), -9223372036854775808.0);

    EXPECT_EQ(read_json("0").kind(), Kind::Unsigned);
    EXPECT_EQ(read_json("-1").as_negative(), -1);
    const JsonValue minus_zero = read_json("-0");
    EXPECT_EQ(minus_zero.kind(), Kind::Float);
    EXPECT_TRUE(std::signbit(minus_zero.as_float()));
    EXPECT_EQ(read_json("-0.0").kind(), Kind::Float);
    EXPECT_EQ(read_json("0e0").kind(), Kind::Float);
    EXPECT_EQ(read_json("5E+1").as_float(), 50.0);
    EXPECT_EQ(read_json("5e-1").as_float(), 0.5);
}

TEST(JsonReader, FloatsTowardsZeroAndHugeExponents) {
    const auto bits = [](const std::string& text) {
        return std::bit_cast<std::uint64_t>(read_json(text).as_float());
    };
    EXPECT_EQ(bits("1e-400"), std::bit_cast<std::uint64_t>(0.0));
    EXPECT_EQ(bits("-1e-400"), std::bit_cast<std::uint64_t>(-0.0));
    EXPECT_EQ(bits("0e999999999999"), std::bit_cast<std::uint64_t>(0.0));
    EXPECT_EQ(bits("-0e999999999999"), std::bit_cast<std::uint64_t>(-0.0));
    EXPECT_EQ(bits("1e-99999999999"), std::bit_cast<std::uint64_t>(0.0));
    EXPECT_EQ(bits("-5e-2147483648"), std::bit_cast<std::uint64_t>(-0.0));
    EXPECT_EQ(bits("0e400"), std::bit_cast<std::uint64_t>(0.0));
    EXPECT_EQ(bits("0.000e2147483647"), std::bit_cast<std::uint64_t>(0.0));
    // Dropped integer digits count as powers of ten before the exponent applies.
    EXPECT_EQ(read_json("1" + std::string(300, '0') + "e-300").as_float(), 1.0);
    EXPECT_EQ(read_json("5e-324").as_float(), 5e-324);
    EXPECT_TRUE(std::isfinite(read_json("1.7976931348623157e308").as_float()));
}

// The reader computes significand × 10^e one rounded operation at a time,
// which is not always the double nearest to the text.
TEST(JsonReader, FloatAlgorithmIsNotCorrectlyRounded) {
    EXPECT_EQ(to_json(read_json("3e23")), "2.9999999999999997e+23");
    EXPECT_EQ(read_json("3e23").as_float(), 3.0 * 1e23);
    // Seventeen significant digits: the significand is rounded to a double first.
    EXPECT_EQ(to_json(read_json("9007199254740993.0")), "9007199254740994.0");
    EXPECT_EQ(to_json(read_json("9007199254740993")), "9007199254740993");  // an integer
}

TEST(JsonReader, Strings) {
    EXPECT_EQ(read_json(R"("\"\\\/\b\f\n\r\t")").as_string(), "\"\\/\b\f\n\r\t");
    EXPECT_EQ(read_json(R"("\u0041\u00e9\u00E9\u20ac")").as_string(),
              "A\xc3\xa9\xc3\xa9\xe2\x82\xac");
    EXPECT_EQ(read_json(R"("a\u0000b")").as_string(), std::string("a\0b", 3));
    EXPECT_EQ(read_json(R"("\ud83d\ude00")").as_string(), "\xf0\x9f\x98\x80");
    EXPECT_EQ(read_json(R"("\uDBFF\uDFFF")").as_string(), "\xf4\x8f\xbf\xbf");
    EXPECT_EQ(read_json(R"("\uffff")").as_string(), "\xef\xbf\xbf");
    EXPECT_EQ(read_json("\"h\xc3\xa9llo \xf0\x9f\x98\x80\"").as_string(),
              "h\xc3\xa9llo \xf0\x9f\x98\x80");
    EXPECT_EQ(read_json("\"\x7f\"").as_string(), "\x7f");
    // Escaped and plain runs mix, in values and keys.
    const JsonValue v = read_json(R"({"k\u0065y":"a\tb plain \"q\" end"})");
    EXPECT_EQ(v.member("key")->as_string(), "a\tb plain \"q\" end");
    EXPECT_EQ(round_trip(R"(["\ud83d\ude00"])"), "[\"\xf0\x9f\x98\x80\"]");
}

// Plain string bytes end at '"', '\\' and the bytes below 0x20, and at no
// other byte: each of the 256 placed at every offset of the 16-byte blocks
// and of the bytes after them.
TEST(JsonStringScan, EveryByteAtEveryOffset) {
    for (int b = 0; b < 256; ++b) {
        const bool stops = b < 0x20 || b == '"' || b == '\\';
        for (std::size_t at = 0; at < 40; ++at) {
            std::string text(40, 'a');
            text[at] = static_cast<char>(b);
            const char* stop = tessel::json::find_string_stop(text.data(), text.data() + text.size());
            ASSERT_EQ(stop - text.data(), static_cast<std::ptrdiff_t>(stops ? at : text.size())) << b << " at " << at;
        }
    }
}

}  // namespace
