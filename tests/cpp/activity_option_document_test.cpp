// Option document access: decoding, member and element access, rounding, numbers, encoding.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "activity/option_document.hpp"
#include "common/errors.hpp"
#include "json/value.hpp"

namespace {

using tessel::activity::decode_option_document;
using tessel::activity::element_at;
using tessel::activity::encode_option_document;
using tessel::activity::member_or_insert;
using tessel::activity::number_from_float;
using tessel::activity::require_series_array;
using tessel::activity::round_hundredths;
using tessel::json::JsonValue;

template <class Exception, class F>
std::string message_of(F&& f) {
    try {
        f();
    } catch (const Exception& e) {
        return e.what();
    }
    ADD_FAILURE() << "no exception";
    return {};
}

std::string value_error(std::string_view text) {
    return message_of<tessel::ValueError>([&] { decode_option_document(text); });
}

TEST(OptionDocument, RootMustBeAnObject) {
    for (const char* text : {"[]", "[1]", "1", "-2.5", "\"s\"", "true", "false", "null", " [ ] "}) {
        EXPECT_EQ(value_error(text), "option JSON root must be an object") << text;
    }
}

TEST(OptionDocument, ReaderErrorsArePrefixed) {
    EXPECT_EQ(value_error(""), "failed to decode option JSON: EOF while parsing a value at line 1 column 0");
    EXPECT_EQ(value_error("{} {}"), "failed to decode option JSON: trailing characters at line 1 column 4");
    EXPECT_EQ(value_error("{\"a\":1,}"), "failed to decode option JSON: trailing comma at line 1 column 8");
    EXPECT_EQ(value_error("[1,2"), "failed to decode option JSON: EOF while parsing a list at line 1 column 4");
    // A reader error wins over the root check.
    EXPECT_EQ(value_error("[1,]"), "failed to decode option JSON: trailing comma at line 1 column 4");
}

TEST(OptionDocument, DecodeEncodeKeepsOrderAndForms) {
    const JsonValue doc = decode_option_document(" \n\t{\"b\": 1, \"a\": [1, 1.0, -0, 1e2, -5], \"b\": 3,\r\n \"s\": \"\\u00e9/\\n\"}\n ");
    EXPECT_EQ(encode_option_document(doc), "{\"b\":3,\"a\":[1,1.0,-0.0,100.0,-5],\"s\":\"\xC3\xA9/\\n\"}");
}

TEST(OptionDocument, MemberOrInsertKeepsPositionsAndAppends) {
    JsonValue doc = decode_option_document("{\"x\":1,\"y\":2}");
    member_or_insert(doc, "x") = JsonValue::from_unsigned(7);
    member_or_insert(doc, "z") = JsonValue::from_unsigned(9);
    EXPECT_EQ(encode_option_document(doc), "{\"x\":7,\"y\":2,\"z\":9}");
    // A null target becomes an object holding only the new member.
    JsonValue& y = member_or_insert(doc, "n");
    EXPECT_TRUE(y.is_null());
    member_or_insert(y, "k") = JsonValue::boolean(true);
    EXPECT_EQ(encode_option_document(doc), "{\"x\":7,\"y\":2,\"z\":9,\"n\":{\"k\":true}}");
}

TEST(OptionDocument, MemberOrInsertOnOtherKindsFails) {
    const std::pair<const char*, const char*> cases[] = {
        {"1", "number"}, {"-1", "number"}, {"1.5", "number"}, {"true", "boolean"},
        {"\"s\"", "string"}, {"[]", "array"},
    };
    for (const auto& [text, kind] : cases) {
        JsonValue doc = decode_option_document(std::string("{\"v\":") + text + "}");
        JsonValue& v = member_or_insert(doc, "v");
        EXPECT_EQ(message_of<tessel::InternalFailure>([&] { member_or_insert(v, "data"); }),
                  std::string("cannot access key \"data\" in JSON ") + kind);
    }
}

TEST(OptionDocument, ElementAt) {
    JsonValue doc = decode_option_document("{\"a\":[10,20],\"e\":[],\"n\":null,\"o\":{},\"s\":\"x\",\"t\":false,\"f\":0.5}");
    element_at(member_or_insert(doc, "a"), 1) = JsonValue::from_unsigned(5);
    EXPECT_EQ(encode_option_document(member_or_insert(doc, "a")), "[10,5]");
    EXPECT_EQ(message_of<tessel::InternalFailure>([&] { element_at(member_or_insert(doc, "a"), 2); }),
              "cannot access index 2 of JSON array of length 2");
    EXPECT_EQ(message_of<tessel::InternalFailure>([&] { element_at(member_or_insert(doc, "e"), 0); }),
              "cannot access index 0 of JSON array of length 0");
    const std::pair<const char*, const char*> kinds[] = {
        {"n", "null"}, {"o", "object"}, {"s", "string"}, {"t", "boolean"}, {"f", "number"}};
    for (const auto& [key, kind] : kinds) {
        EXPECT_EQ(message_of<tessel::InternalFailure>([&] { element_at(member_or_insert(doc, key), 0); }),
                  std::string("cannot access index 0 of JSON ") + kind);
    }
    // Element access never turns a null into an array.
    EXPECT_TRUE(member_or_insert(doc, "n").is_null());
}

TEST(OptionDocument, RequireSeriesArray) {
    for (const char* text : {"{}", "{\"series\":null}", "{\"series\":{}}", "{\"series\":1}", "{\"series\":\"a\"}"}) {
        JsonValue doc = decode_option_document(text);
        EXPECT_EQ(message_of<tessel::ValueError>([&] { require_series_array(doc); }),
                  "option JSON must contain a series array")
            << text;
    }
    JsonValue doc = decode_option_document("{\"series\":[1,2]}");
    EXPECT_EQ(require_series_array(doc).size(), 2u);
}

TEST(OptionDocument, RoundHundredthsWorkedValues) {
    EXPECT_EQ(round_hundredths(0.125), 0.13);
    EXPECT_EQ(round_hundredths(-0.125), -0.13);
    EXPECT_EQ(round_hundredths(2.675), 2.68);
    EXPECT_EQ(round_hundredths(1.005), 1.0);
    EXPECT_EQ(round_hundredths(99.995), 100.0);
    EXPECT_EQ(round_hundredths(0.0), 0.0);
    EXPECT_TRUE(std::signbit(round_hundredths(-0.001)));
    EXPECT_TRUE(std::isnan(round_hundredths(std::nan(""))));
    EXPECT_EQ(round_hundredths(INFINITY), INFINITY);
    EXPECT_EQ(round_hundredths(-INFINITY), -INFINITY);
    EXPECT_EQ(round_hundredths(1e307), INFINITY);  // the product overflows
    EXPECT_EQ(round_hundredths(-1e307), -INFINITY);
    EXPECT_EQ(round_hundredths(1e300), 1e302 / 100.0);
}

// The same three steps with the library's round (halves away from zero).
double reference_round_hundredths(double x) { return std::round(x * 100.0) / 100.0; }

bool same_double(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b));
}

TEST(OptionDocument, RoundHundredthsMatchesLibraryRound) {
    std::mt19937_64 rng(4);
    std::uniform_int_distribution<int> exponent(-30, 60);
    for (int i = 0; i < 2'000'000; ++i) {
        double x;
        switch (i % 4) {
            case 0: x = std::ldexp(std::uniform_real_distribution<double>(-1, 1)(rng), exponent(rng)); break;
            case 1: {  // halves and their neighbours
                const double half = (static_cast<double>(static_cast<std::int64_t>(rng() % 2000001) - 1000000) + 0.5) / 100.0;
                const int step = static_cast<int>(rng() % 3) - 1;
                x = step == 0 ? half : std::nextafter(half, step * INFINITY);
                break;
            }
            case 2: {  // random bit patterns
                const std::uint64_t bits = rng();
                std::memcpy(&x, &bits, sizeof x);
                break;
            }
            default: x = std::ldexp(static_cast<double>(rng() >> 11), static_cast<int>(rng() % 20) - 12); break;
        }
        ASSERT_TRUE(same_double(round_hundredths(x), reference_round_hundredths(x))) << x;
    }
    for (const double y : {4503599627370495.5, 4503599627370496.0, 0.49999999999999994, -0.49999999999999994, 0.5,
                           -0.5, 1.5, -1.5, 2.5}) {
        ASSERT_TRUE(same_double(round_hundredths(y / 100.0), reference_round_hundredths(y / 100.0))) << y;
    }
}

TEST(OptionDocument, NumberFromFloat) {
    EXPECT_TRUE(number_from_float(std::nan("")).is_null());
    EXPECT_TRUE(number_from_float(INFINITY).is_null());
    EXPECT_TRUE(number_from_float(-INFINITY).is_null());
    EXPECT_EQ(encode_option_document(number_from_float(2.0)), "2.0");
    EXPECT_EQ(encode_option_document(number_from_float(-0.0)), "-0.0");
    EXPECT_EQ(number_from_float(0.5).kind(), tessel::json::Kind::Float);
}

}  // namespace
