// Properties over random input: written text reads back to the same value,
// and the reader's float algorithm agrees with a small independent model.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>

#include "json/reader.hpp"
#include "json/value.hpp"
#include "json/writer.hpp"
#include "json_random.hpp"

namespace {

using tessel::json::JsonValue;
using tessel::json::Kind;
using tessel::json::read_json;
using tessel::json::ReadError;
using tessel::json::ReadErrorReason;
using tessel::json::to_json;

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

// Whether the reader's steps are exact for this number text: a significand
// that a double holds exactly and a power of ten that is exact too (10^22 at
// most), so the one division or multiplication rounds the true value.
bool read_exactly(const std::string& text) {
    const NumberParts parts = split_number(text);
    const Significand sig = collect(parts);
    long long e = sig.e;
    if (parts.has_exponent) e += (parts.exponent_negative ? -1 : 1) * std::stoll(parts.exponent);
    return sig.s <= (std::uint64_t{1} << 53) && e >= -22 && e <= 22;
}

TEST(JsonFloatModel, ReaderMatchesModelOnRandomTexts) {
    std::mt19937_64 rng(7);
    int differs_from_strtod = 0;
    for (int i = 0; i < 300000; ++i) {
        const std::string text = json_test::random_number_text(rng);
        const ModelFloat expected = model_float(text);
        try {
            const JsonValue v = read_json(text);
            ASSERT_FALSE(expected.out_of_range) << text;
            ASSERT_EQ(v.kind(), Kind::Float) << text;
            ASSERT_EQ(std::bit_cast<std::uint64_t>(v.as_float()),
                      std::bit_cast<std::uint64_t>(expected.value))
                << text;
            if (v.as_float() != std::strtod(text.c_str(), nullptr)) ++differs_from_strtod;
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
        const JsonValue v = read_json(text);
        const NumberParts parts = split_number(text);
        const Significand sig = collect(parts);
        if (fraction_digits == 0 && sig.e == 0 && !(parts.negative && (sig.s == 0 || sig.s > (std::uint64_t{1} << 63)))) {
            ASSERT_EQ(v.kind(), parts.negative ? Kind::Negative : Kind::Unsigned) << text;
            ASSERT_EQ(to_json(v), text);
        } else {
            ASSERT_EQ(v.kind(), Kind::Float) << text;
            ASSERT_EQ(std::bit_cast<std::uint64_t>(v.as_float()),
                      std::bit_cast<std::uint64_t>(model_float(text).value))
                << text;
        }
    }
}

TEST(JsonFloatModel, LongIntegersBecomeModelFloats) {
    std::mt19937_64 rng(8);
    for (int i = 0; i < 20000; ++i) {
        std::string text = rng() % 2 ? "-" : "";
        text += static_cast<char>('1' + rng() % 9);
        const int more = 18 + static_cast<int>(rng() % 30);
        for (int k = 0; k < more; ++k) text += static_cast<char>('0' + rng() % 10);
        const JsonValue v = read_json(text);
        const NumberParts parts = split_number(text);
        const Significand sig = collect(parts);
        const bool integer = sig.e == 0 && (!parts.negative || sig.s <= (std::uint64_t{1} << 63));
        if (integer) {
            EXPECT_EQ(v.kind(), parts.negative ? Kind::Negative : Kind::Unsigned) << text;
            EXPECT_EQ(to_json(v), text);
        } else {
            ASSERT_EQ(v.kind(), Kind::Float) << text;
            EXPECT_EQ(v.as_float(), model_float(text).value) << text;
        }
    }
}

// Doubles of every kind survive writing and reading up to the reader's
// documented rounding: exactly when the written digits are read exactly, and
// otherwise as the model says. A power of ten beyond 10^22 is itself rounded
// before the one operation rounds again, so the result can land up to two
// units in the last place away.
TEST(JsonFloatModel, WrittenFloatsReadBackAsTheModelSays) {
    std::mt19937_64 rng(9);
    int moved = 0;
    for (int i = 0; i < 300000; ++i) {
        const double x = std::bit_cast<double>(rng());
        if (!std::isfinite(x)) continue;
        std::string text;
        tessel::json::write_json_float(x, text);
        const double y = read_json(text).as_float();
        ASSERT_EQ(std::bit_cast<std::uint64_t>(y),
                  std::bit_cast<std::uint64_t>(model_float(text).value))
            << text;
        if (read_exactly(text)) {
            ASSERT_EQ(y, x) << text;
        }
        // Same sign, so the distance of the bit patterns counts units in the last place.
        const auto distance = std::bit_cast<std::int64_t>(y) - std::bit_cast<std::int64_t>(x);
        ASSERT_LE(std::llabs(distance), 2) << text;
        if (distance != 0) ++moved;
    }
    EXPECT_GT(moved, 0);
}

// Random documents.

// A float that the reader's steps read back exactly once written.
double random_exact_float(std::mt19937_64& rng) {
    for (;;) {
        const double s = static_cast<double>(rng() % 1000000000000000ULL >> (rng() % 50));
        const int e = static_cast<int>(rng() % 45) - 22;
        double x = e >= 0 ? s * power_of_ten(e) : s / power_of_ten(-e);
        if (rng() % 2) x = -x;
        std::string text;
        tessel::json::write_json_float(x, text);
        if (read_exactly(text)) return x;
    }
}

TEST(JsonRoundTrip, RandomDocumentsReadBackEqual) {
    std::mt19937_64 rng(10);
    for (int i = 0; i < 20000; ++i) {
        const JsonValue v = json_test::random_value(rng, 1 + static_cast<int>(rng() % 6), random_exact_float);
        const std::string text = to_json(v);
        const JsonValue back = read_json(text);
        ASSERT_TRUE(back == v) << text;
        ASSERT_EQ(to_json(back), text);
    }
}

TEST(JsonRoundTrip, FormattedTextReadsToTheSameValue) {
    // Whitespace between tokens changes nothing.
    const std::string compact = R"({"a":[1,-2,3.5,"x",{"b":null,"c":[true,false]}],"d":{}})";
    const std::string spaced =
        "{ \"a\" :\n[ 1 ,\t-2 , 3.5 ,\r\n\"x\" , { \"b\" : null , \"c\" : [ true , false ] } ] ,\n "
        "\"d\" : { } }";
    EXPECT_TRUE(read_json(spaced) == read_json(compact));
    EXPECT_EQ(to_json(read_json(spaced)), compact);
}

}  // namespace
