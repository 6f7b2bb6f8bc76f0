// The JSON layer: the reader's errors and positions, its float arithmetic
// against a small independent model, repeated keys, the writer's forms, and
// writing a document with edits.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "common/errors.hpp"
#include "json/reader.hpp"
#include "json/writer.hpp"
#include "json_random.hpp"

namespace {

using tessel::json::DocumentEdits;
using tessel::json::JsonDocument;
using tessel::json::JsonView;
using tessel::json::Kind;
using tessel::json::read_json_document;
using tessel::json::ReadError;
using tessel::json::ReadErrorReason;
using tessel::json::TextWriter;
using tessel::json::to_json;

std::string error_text(const std::string& text) {
    try {
        read_json_document(text);
    } catch (const ReadError& e) {
        EXPECT_EQ(e.text(), e.what());
        return e.text();
    }
    return "(no error)";
}

std::string to_json_kind(JsonView v) { return std::string(tessel::json::kind_name(v.kind())) + " "; }

std::string round_trip(const std::string& text) { return to_json(read_json_document(text)); }

const std::string kControl = "control character (\\u0000-\\u001F) found while parsing a string";

TEST(JsonReader, ErrorsAndTheirPositions) {
    struct Case {
        std::string text;
        std::string expected;
    };
    const std::vector<Case> cases = {
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

        {"{\"a\" 1}", "expected `:` at line 1 column 6"},
        {"[1 2]", "expected `,` or `]` at line 1 column 4"},
        {"[1}", "expected `,` or `]` at line 1 column 3"},
        // ':' follows '9' in ASCII: it ends a number's digits.
        {"[1:2]", "expected `,` or `]` at line 1 column 3"},
        {"[1.5:2]", "expected `,` or `]` at line 1 column 5"},
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
        {"\"\\uZZZZ", "invalid escape at line 1 column 7"},  // the text ends with the escape
        {"\"\\u12\"  ", "invalid escape at line 1 column 7"},
        {"\"\\ude00\"", "lone leading surrogate in hex escape at line 1 column 7"},
        {"\"\\udfff\"", "lone leading surrogate in hex escape at line 1 column 7"},
        {"\"\\ud800\\u0041\"", "lone leading surrogate in hex escape at line 1 column 13"},
        // The last leading surrogate and the first code unit after the trailing ones.
        {"\"\\ud800\\udbff\"", "lone leading surrogate in hex escape at line 1 column 13"},
        {"\"\\ud800\\ue000\"", "lone leading surrogate in hex escape at line 1 column 13"},
        {"\"\\ud83dx\"", "unexpected end of hex escape at line 1 column 8"},
        {"\"\\ud83d\"", "unexpected end of hex escape at line 1 column 8"},
        {"\"\\ud83d\\n\"", "unexpected end of hex escape at line 1 column 9"},
        {"\"\\ud83d\\\"", "unexpected end of hex escape at line 1 column 9"},
        {"\"\\ud83d\nx\"", "unexpected end of hex escape at line 2 column 0"},

        {"[\n1,\n  x]", "expected value at line 3 column 3"},
        {"[\r\r x", "expected value at line 1 column 5"},  // carriage returns are no line breaks
        {"[\"\xc3\xa9\", x]", "expected value at line 1 column 8"},  // columns count bytes
        {"{\n  \"a\": 1,\n  \"b\": [1, 2,]\n}", "trailing comma at line 3 column 14"},
        {"\n\n  [1 2]", "expected `,` or `]` at line 3 column 6"},
    };
    for (const Case& c : cases) EXPECT_EQ(error_text(c.text), c.expected) << "input: " << c.text;
}

TEST(JsonReader, NestingBudget) {
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
    EXPECT_NO_THROW(read_json_document(siblings));
}

TEST(JsonReader, TextsWriteBackCompact) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {" \t\n\r[ 1 ,\t2 ,\n{ \"a\" : \"b\" } ]\r\n ", "[1,2,{\"a\":\"b\"}]"},
        {"[1, 1.0, -0, 1e2, 100, -5, 18446744073709551615, -9223372036854775808]",
         "[1,1.0,-0.0,100.0,100,-5,18446744073709551615,-9223372036854775808]"},
        {"[18446744073709551616, -9223372036854775809, 0.1, 1e-7, 1e16, 123456.7890, 5e-324]",
         "[1.8446744073709552e+19,-9.223372036854776e+18,0.1,1e-7,1e+16,123456.789,5e-324]"},
        {"[0.0001, 0.5, 99.99, 2.50, 1e300, -0.0]", "[0.0001,0.5,99.99,2.5,1e+300,-0.0]"},
        // Exponents beyond 32 bits that give zero; the text goes on after them.
        {"[1e-99999999999, -0e99999999999, 2]", "[0.0,-0.0,2]"},
        {R"(["a\u00e9\ud83d\ude00\"\\\/\b\f\n\r\t\u0001\u001f"])",
         "[\"a\xc3\xa9\xf0\x9f\x98\x80\\\"\\\\/\\b\\f\\n\\r\\t\\u0001\\u001f\"]"},
        {"[true,false,null,[],{},[[]],{\"\":{}}]", "[true,false,null,[],{},[[]],{\"\":{}}]"},
        // The code units on both sides of the surrogates.
        {R"(["\u00C9\u00fF\uABCD\ud7ff\ue000"])", "[\"\xc3\x89\xc3\xbf\xea\xaf\x8d\xed\x9f\xbf\xee\x80\x80\"]"},
        {R"({"b":1,"a":2,"b":3})", R"({"b":3,"a":2})"},
        {R"({"a":{"x":1},"a":[2]})", R"({"a":[2]})"},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(round_trip(text), expected) << text;
}

// Members are visited in order past values of any size; a missing member's
// typed access names it absent.
TEST(JsonView, ObjectMembersAndAbsentValues) {
    const JsonDocument d = read_json_document(R"({"a":[1,[2,{"x":3}]],"b":{"c":{}},"d":4})");
    std::string keys;
    for (const auto member : d.root().as_object()) keys += std::string(member.key) + ":" + to_json_kind(member.value);
    EXPECT_EQ(keys, "a:array b:object d:number ");
    EXPECT_EQ(d.root().member("d").as_unsigned(), 4u);
    try {
        (void)d.root().member("z").as_unsigned();
        FAIL();
    } catch (const tessel::InternalFailure& e) {
        EXPECT_STREQ(e.what(), "JSON value is absent, not an unsigned integer");
    }
}

// Repeated keys keep their first place and take their last value, against a
// model, on objects small and large whose keys often share a length and
// both end letters (what the reader's cheap test looks at) or repeat.
TEST(JsonReader, RepeatedKeysAgainstModel) {
    std::mt19937_64 rng(17);
    const char* const pool[] = {"a", "b", "ab", "cb", "abc", "xbc", "axc", "color", "value", "k1", "k2"};
    for (int round = 0; round < 3000; ++round) {
        const std::size_t count = rng() % 4 == 0 ? 17 + rng() % 30 : rng() % 8;
        std::vector<std::pair<std::string, unsigned>> model;
        std::string text = "[{";
        for (std::size_t i = 0; i < count; ++i) {
            std::string key = pool[rng() % std::size(pool)];
            if (count > 16) key += std::to_string(rng() % (count + 4));
            text += (i ? ",\"" : "\"") + key + "\":[" + std::to_string(i) + "]";
            auto same = std::find_if(model.begin(), model.end(), [&](const auto& m) { return m.first == key; });
            if (same == model.end()) {
                model.emplace_back(key, static_cast<unsigned>(i));
            } else {
                same->second = static_cast<unsigned>(i);
            }
        }
        text += "},{}]";
        std::string expected = "[{";
        for (std::size_t i = 0; i < model.size(); ++i) {
            expected += (i ? ",\"" : "\"") + model[i].first + "\":[" + std::to_string(model[i].second) + "]";
        }
        expected += "},{}]";
        const JsonDocument d = read_json_document(text);
        ASSERT_EQ(to_json(d), expected);
        for (const auto& [key, value] : model) {
            ASSERT_EQ(d.root().as_array().front().member(key).as_array().front().as_unsigned(), value);
        }
        ASSERT_FALSE(d.root().as_array().front().member("absent"));
    }
}

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// A number text split into its parts.
struct NumberParts {
    bool negative = false;
    std::string integer;
    std::string fraction;
    bool has_exponent = false;
    bool exponent_negative = false;
    std::string exponent;
};

NumberParts split_number(const std::string& text) {
    NumberParts parts;
    std::size_t i = 0;
    if (text[i] == '-') {
        parts.negative = true;
        ++i;
    }
    while (i < text.size() && is_digit(text[i])) parts.integer += text[i++];
    if (i < text.size() && text[i] == '.') {
        for (++i; i < text.size() && is_digit(text[i]);) parts.fraction += text[i++];
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        parts.has_exponent = true;
        ++i;
        if (text[i] == '+' || text[i] == '-') parts.exponent_negative = text[i++] == '-';
        while (i < text.size()) parts.exponent += text[i++];
    }
    return parts;
}

struct Significand {
    std::uint64_t s = 0;
    long long e = 0;  // power of ten from the kept fraction digits and dropped integer digits
};

// Digits in order until one more would pass 2^64 - 1; integer digits after
// that count as powers of ten, fraction digits after that are ignored.
Significand collect(const NumberParts& parts) {
    unsigned __int128 s = 0;
    long long e = 0;
    bool full = false;
    for (char c : parts.integer) {
        const unsigned __int128 next = s * 10 + static_cast<unsigned>(c - '0');
        if (!full && next <= std::numeric_limits<std::uint64_t>::max()) {
            s = next;
        } else {
            full = true;
            ++e;
        }
    }
    for (char c : parts.fraction) {
        const unsigned __int128 next = s * 10 + static_cast<unsigned>(c - '0');
        if (!full && next <= std::numeric_limits<std::uint64_t>::max()) {
            s = next;
            --e;
        } else {
            full = true;
        }
    }
    return {static_cast<std::uint64_t>(s), e};
}

double power_of_ten(long long k) {
    return std::strtod(("1e" + std::to_string(k)).c_str(), nullptr);
}

struct ModelFloat {
    bool out_of_range = false;
    double value = 0;
    std::size_t error_column = 0;  // with out_of_range: the column reported
};

// The model: the written exponent as a decimal string compared with 2^31 - 1,
// the powers of ten from strtod, the steps written out plainly.
ModelFloat model_float(const std::string& text) {
    const NumberParts parts = split_number(text);
    const Significand sig = collect(parts);
    const double zero = parts.negative ? -0.0 : 0.0;
    std::string written = parts.exponent;
    while (written.size() > 1 && written[0] == '0') written.erase(0, 1);
    const bool huge = written.size() > 10 || (written.size() == 10 && written > "2147483647");
    if (huge) {
        if (parts.exponent_negative || sig.s == 0) return {false, zero};
        // Reported at the exponent digit that passes 2^31 - 1.
        long long value = 0;
        std::size_t i = 0;
        while ((value = value * 10 + (parts.exponent[i] - '0')) <= 2147483647) ++i;
        return {true, 0, text.size() - parts.exponent.size() + i + 1};
    }
    long long e = sig.e;
    if (!written.empty()) e += (parts.exponent_negative ? -1 : 1) * std::stoll(written);
    double f = static_cast<double>(sig.s);
    while (e > 308 || e < -308) {
        if (f == 0) return {false, parts.negative ? -f : f};
        if (e > 0) return {true, 0, text.size()};
        f = f / 1e308;
        e += 308;
    }
    if (e >= 0) {
        f = f * power_of_ten(e);
        if (std::isinf(f)) return {true, 0, text.size()};
    } else {
        f = f / power_of_ten(-e);
    }
    return {false, parts.negative ? -f : f};
}

TEST(JsonFloatModel, ReaderMatchesModelOnRandomTexts) {
    std::mt19937_64 rng(7);
    int differs_from_strtod = 0;
    for (int i = 0; i < 300000; ++i) {
        const std::string text = json_test::random_number_text(rng);
        const ModelFloat expected = model_float(text);
        try {
            const JsonDocument d = read_json_document(text);
            const JsonView v = d.root();
            ASSERT_FALSE(expected.out_of_range) << text;
            ASSERT_EQ(v.kind(), Kind::Float) << text;
            ASSERT_EQ(std::bit_cast<std::uint64_t>(v.number_as_double()),
                      std::bit_cast<std::uint64_t>(expected.value))
                << text;
            if (v.number_as_double() != std::strtod(text.c_str(), nullptr)) ++differs_from_strtod;
        } catch (const ReadError& e) {
            ASSERT_TRUE(expected.out_of_range) << text << ": " << e.what();
            ASSERT_EQ(e.reason, ReadErrorReason::NumberOutOfRange) << text;
            ASSERT_EQ(e.column, expected.error_column) << text;
        }
    }
    // The algorithm is deliberately not correctly rounding.
    EXPECT_GT(differs_from_strtod, 0);
}

// Numbers without an exponent, the usual ones, are read on a shorter path up
// to 19 digits: it must agree with the model on both sides of that bound.
TEST(JsonFloatModel, PlainNumbersMatchTheModel) {
    std::mt19937_64 rng(9);
    for (int i = 0; i < 200000; ++i) {
        std::string text = rng() % 2 ? "-" : "";
        const int integer_digits = static_cast<int>(rng() % 21);
        if (integer_digits == 0) {
            text += "0";
        } else {
            text += static_cast<char>('1' + rng() % 9);
            for (int k = 1; k < integer_digits; ++k) text += static_cast<char>('0' + rng() % 10);
        }
        const int fraction_digits = static_cast<int>(rng() % 21);
        if (fraction_digits > 0) text += ".";
        for (int k = 0; k < fraction_digits; ++k) text += static_cast<char>('0' + rng() % 10);
        const JsonDocument d = read_json_document(text);
            const JsonView v = d.root();
        const NumberParts parts = split_number(text);
        const Significand sig = collect(parts);
        if (fraction_digits == 0 && sig.e == 0 && !(parts.negative && (sig.s == 0 || sig.s > (std::uint64_t{1} << 63)))) {
            ASSERT_EQ(v.kind(), parts.negative ? Kind::Negative : Kind::Unsigned) << text;
            ASSERT_EQ(to_json(d), text);
        } else {
            ASSERT_EQ(v.kind(), Kind::Float) << text;
            ASSERT_EQ(std::bit_cast<std::uint64_t>(v.number_as_double()),
                      std::bit_cast<std::uint64_t>(model_float(text).value))
                << text;
        }
    }
}

// Edits: values replaced anywhere, members appended (also to an empty
// object; two to one object in the order given), a replaced value written as
// a one-member object, all in one write.
TEST(JsonWriter, DocumentEdits) {
    const JsonDocument d = read_json_document(R"({"a":[1,{"b":2},null],"c":{},"d":"x","e":[{"f":1}]})");
    const JsonView root = d.root();
    const auto seven = [](TextWriter& out, char* p) { return out.put(p, "7", 1); };
    const auto list = [](TextWriter& out, char* p) { return out.put(p, "[8,9]", 5); };
    DocumentEdits edits;
    edits.append(root.member("c"), "new", seven);
    edits.replace(root.member("a").as_array().at(1).member("b"), list);
    edits.replace(root.member("a").as_array().at(2), seven, "k\"");
    edits.append(root, "z", list);
    edits.append(root, "y", seven);
    edits.replace(root.member("d"), seven);
    edits.append(root.member("e").as_array().front(), "g", seven);
    EXPECT_EQ(to_json(d, edits),
              R"({"a":[1,{"b":[8,9]},{"k\"":7}],"c":{"new":7},"d":7,"e":[{"f":1,"g":7}],"z":[8,9],"y":7})");
    EXPECT_EQ(to_json(d), R"({"a":[1,{"b":2},null],"c":{},"d":"x","e":[{"f":1}]})");
    EXPECT_THROW(edits.append(root.member("d"), "x", seven), tessel::InternalFailure);
    EXPECT_THROW(edits.replace(root.member("absent"), seven), tessel::InternalFailure);
}

// The tree writer: every kind as an array element (null, booleans and
// numbers take the array's scalar path) and as a member's value.
TEST(JsonWriter, TreesOfEveryKind) {
    using tessel::json::JsonValue;
    const auto every_kind = [] {
        tessel::json::JsonArray items;
        items.push_back(JsonValue());
        items.push_back(JsonValue::boolean(false));
        items.push_back(JsonValue::from_unsigned(7));
        items.push_back(JsonValue::from_signed(-3));
        items.push_back(JsonValue::from_double(0.5));
        items.push_back(JsonValue::string("a\"b"));
        items.push_back(JsonValue::array({}));
        items.push_back(JsonValue::object({}));
        return items;
    };
    std::vector<tessel::json::JsonMember> members;
    for (JsonValue& v : every_kind()) members.push_back({"k" + std::to_string(members.size()), std::move(v)});
    members.push_back({"all", JsonValue::array(every_kind())});
    std::string out;
    tessel::json::write_json(JsonValue::object(tessel::json::JsonObject::from_members(std::move(members))), out);
    EXPECT_EQ(out, R"({"k0":null,"k1":false,"k2":7,"k3":-3,"k4":0.5,"k5":"a\"b","k6":[],"k7":{},)"
                   R"("all":[null,false,7,-3,0.5,"a\"b",[],{}]})");
}

}  // namespace

// A failed allocation while reading reports std::bad_alloc and leaves
// nothing half-made behind; the next read succeeds. The test binary stands
// in for the C library's realloc (not under AddressSanitizer, which has its
// own), failing the n-th call made while armed.
#if !defined(__SANITIZE_ADDRESS__) && defined(__GLIBC__)
extern "C" void* __libc_realloc(void* p, std::size_t n);
namespace {
int g_reallocs_until_failure = -1;  // -1: never fail
}  // namespace
extern "C" void* realloc(void* p, std::size_t n) {
    if (g_reallocs_until_failure >= 0 && g_reallocs_until_failure-- == 0) return nullptr;
    return __libc_realloc(p, n);
}

namespace {
TEST(JsonReader, FailedReallocationIsBadAlloc) {
    // Two bytes per value: more entries than the first guess, so they grow.
    std::string text = "[";
    for (int i = 0; i < 20000; ++i) text += "0,";
    text += "\"" + std::string(100, 's') + "\"]";
    int failures = 0;
    for (int n = 0; n < 4; ++n) {
        g_reallocs_until_failure = n;
        try {
            const JsonDocument d = read_json_document(text);
            g_reallocs_until_failure = -1;
            EXPECT_EQ(d.root().as_array().size(), 20001u);
        } catch (const std::bad_alloc&) {
            g_reallocs_until_failure = -1;
            ++failures;
        }
    }
    EXPECT_GE(failures, 1);  // the entries' regrowth (a first block comes from malloc)
    EXPECT_EQ(to_json(read_json_document(text)).size(), text.size());
}
}  // namespace
#endif
