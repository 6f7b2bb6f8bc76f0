#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "float_text_reference.hpp"
#include "json/float_text.hpp"

namespace {

using tessel::json::format_json_float;
using tessel::json::json_float_room;

std::string formatted(double x) {
    char buffer[json_float_room];
    return std::string(buffer, format_json_float(x, buffer));
}

// The independent reference, with "null" for what has no number form.
std::string written(double x) { return std::isfinite(x) ? reference_float_text(x) : "null"; }

double from_bits(std::uint64_t bits) { return std::bit_cast<double>(bits); }

// Doubles where shortest-digit searches tend to go wrong: both ends of the
// range, subnormals, powers of two (uneven neighbours) and of ten, integers
// around 2^53, and the edges of the plain and exponent layouts.
std::vector<double> hard_values() {
    std::vector<double> v = {5e-324,  2.2250738585072014e-308, 2.225073858507201e-308, 1.7976931348623157e308,
                             1e-5,    9.999999999999999e-6,    1e-6,                   1e15,
                             1e16,    9999999999999998.0,      999999999999999.9,      0.1,
                             0.2,     0.3,                     1.0 / 3,                2.0 / 3,
                             1e23,    9007199254740993.0,      9007199254740992.0,     4503599627370497.5,
                             123.456, 5e-310,                  1.5e-7,                 1.0};
    for (int e = -1074; e <= 1023; ++e) v.push_back(std::ldexp(1.0, e));
    for (int e = -325; e <= 308; ++e) v.push_back(std::pow(10.0, e));
    for (std::uint64_t bits = 1; bits < 2000; ++bits) v.push_back(from_bits(bits));
    for (std::uint64_t n = (1ull << 53) - 1000; n <= (1ull << 53) + 1000; ++n) v.push_back(static_cast<double>(n));
    for (int biased = 1; biased < 2047; ++biased) {
        const std::uint64_t base = static_cast<std::uint64_t>(biased) << 52;
        for (std::uint64_t fraction : {0ull, 1ull, 2ull, (1ull << 52) - 1}) v.push_back(from_bits(base | fraction));
    }
    return v;
}

TEST(JsonFloatText, MatchesTheReferenceFormOnHardValues) {
    for (double x : hard_values()) {
        ASSERT_EQ(formatted(x), written(x)) << std::bit_cast<std::uint64_t>(x);
        ASSERT_EQ(formatted(-x), written(-x)) << std::bit_cast<std::uint64_t>(x);
    }
}

TEST(JsonFloatText, MatchesTheReferenceFormOnRandomDoubles) {
    std::mt19937_64 rng(20240607);
    std::uniform_int_distribution<int> digits(1, 17);
    for (int i = 0; i < 1'000'000; ++i) {
        const double any = from_bits(rng());
        if (!std::isnan(any)) {
            ASSERT_EQ(formatted(any), written(any)) << std::bit_cast<std::uint64_t>(any);
        }
        // Short decimals, as data often holds.
        const double scale = std::pow(10.0, static_cast<int>(rng() % 40) - 20);
        const double shortish = static_cast<double>(rng() % 1'000'000) * scale;
        ASSERT_EQ(formatted(shortish), written(shortish)) << std::bit_cast<std::uint64_t>(shortish);
        char text[32];
        const auto end = std::to_chars(text, text + sizeof text, any, std::chars_format::general, digits(rng)).ptr;
        double rounded = 0;
        std::from_chars(text, end, rounded);
        if (!std::isnan(rounded)) {
            ASSERT_EQ(formatted(rounded), written(rounded)) << text;
        }
    }
}

// Decimals of every length from 1 to 17 digits at every scale where values
// of 15 digits or fewer take their own path, with the doubles on either side
// of each (which need more digits), and fractions j/n as ECDF curves hold.
TEST(JsonFloatText, MatchesTheReferenceFormOnShortDecimalsAndNeighbours) {
    std::mt19937_64 rng(515);
    auto check = [](double x) {
        for (double v : {x, std::nextafter(x, 0.0), std::nextafter(x, HUGE_VAL)}) {
            ASSERT_EQ(formatted(v), written(v)) << std::bit_cast<std::uint64_t>(v);
            ASSERT_EQ(formatted(-v), written(-v)) << std::bit_cast<std::uint64_t>(v);
        }
    };
    for (int i = 0; i < 400'000; ++i) {
        const int length = 1 + static_cast<int>(rng() % 17);
        std::string text = std::to_string(1 + rng() % 9);
        for (int j = 1; j < length; ++j) text += static_cast<char>('0' + rng() % 10);
        text += "e" + std::to_string(static_cast<int>(rng() % 30) - 14 - length);
        double x = 0;
        std::from_chars(text.data(), text.data() + text.size(), x);
        check(x);
    }
    for (std::uint64_t n : {1ull, 3ull, 7ull, 10ull, 1000ull, 4096ull, 99'991ull, 100'000ull, 1'000'000ull}) {
        for (std::uint64_t j = 1; j <= n && j <= 200'000; ++j) {
            check(static_cast<double>(j) / static_cast<double>(n));
        }
    }
}

TEST(JsonFloatText, WritesTheLayoutsOfTheFloatForm) {
    const std::pair<double, const char*> cases[] = {
        {0.0, "0.0"},       {-0.0, "-0.0"},           {1.0, "1.0"},
        {1e15, "1000000000000000.0"}, {1e16, "1e+16"}, {12.5, "12.5"},
        {0.001, "0.001"},   {1e-5, "0.00001"},        {1e-6, "1e-6"},
        {1.5e-7, "1.5e-7"}, {5e-324, "5e-324"},       {1.7976931348623157e308, "1.7976931348623157e+308"},
        {-2.5, "-2.5"},     {std::numeric_limits<double>::quiet_NaN(), "null"},
        {std::numeric_limits<double>::infinity(), "null"}, {-std::numeric_limits<double>::infinity(), "null"},
    };
    for (const auto& [x, text] : cases) EXPECT_EQ(formatted(x), text);
    EXPECT_LE(formatted(-1.7976931348623157e308).size(), tessel::json::max_json_float_bytes);
}

}  // namespace
