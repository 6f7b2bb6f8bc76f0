// The directly written data item text against the JSON writer's text of the
// same values built as JsonValues.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "activity/data_text.hpp"
#include "activity/option_document.hpp"
#include "json/writer.hpp"

namespace {

using tessel::activity::number_from_float;
using tessel::activity::round_hundredths;
using tessel::activity::TextWriter;

std::string hundredths_text(double x) {
    std::string out;
    TextWriter(out).hundredths(x);
    return out;
}

std::string reference_hundredths_text(double x) { return tessel::json::to_json(number_from_float(round_hundredths(x))); }

TEST(DataText, HundredthsWorkedValues) {
    EXPECT_EQ(hundredths_text(0.125), "0.13");
    EXPECT_EQ(hundredths_text(2.675), "2.68");
    EXPECT_EQ(hundredths_text(1.005), "1.0");
    EXPECT_EQ(hundredths_text(99.995), "100.0");
    EXPECT_EQ(hundredths_text(-0.001), "-0.0");
    EXPECT_EQ(hundredths_text(0.0), "0.0");
    EXPECT_EQ(hundredths_text(0.05), "0.05");
    EXPECT_EQ(hundredths_text(-12.3), "-12.3");
    EXPECT_EQ(hundredths_text(std::nan("")), "null");
    EXPECT_EQ(hundredths_text(INFINITY), "null");
    EXPECT_EQ(hundredths_text(1e307), "null");
    EXPECT_EQ(hundredths_text(1e20), "1e+20");
    EXPECT_EQ(hundredths_text(123456789012.345), "123456789012.35");
}

TEST(DataText, HundredthsMatchesTheWriter) {
    std::mt19937_64 rng(7);
    for (int i = 0; i < 3'000'000; ++i) {
        double x;
        switch (i % 5) {
            case 0: x = std::uniform_real_distribution<double>(-100, 100)(rng); break;
            case 1: x = std::ldexp(std::uniform_real_distribution<double>(-1, 1)(rng), static_cast<int>(rng() % 120) - 40); break;
            case 2: {  // whole hundredths of every size, up to and past the direct limit
                const double z = std::ldexp(static_cast<double>(rng() >> 11), static_cast<int>(rng() % 12));
                x = (rng() & 1 ? z : -z) / 100.0;
                break;
            }
            case 3: {
                const std::uint64_t bits = rng();
                std::memcpy(&x, &bits, sizeof x);
                break;
            }
            default: x = static_cast<double>(static_cast<std::int64_t>(rng() % 20000001) - 10000000) / 100.0; break;
        }
        ASSERT_EQ(hundredths_text(x), reference_hundredths_text(x)) << x;
    }
    // Every count of hundredths around the direct limit of 1e15.
    for (double z = 1e15 - 2000; z < 1e15 + 2000; z += 1) {
        ASSERT_EQ(hundredths_text(z / 100.0), reference_hundredths_text(z / 100.0)) << z;
        ASSERT_EQ(hundredths_text(-z / 100.0), reference_hundredths_text(-z / 100.0)) << z;
    }
    // Every value below 1000 with two decimals.
    for (int z = -100000; z <= 100000; ++z) {
        const double x = z / 100.0;
        ASSERT_EQ(hundredths_text(x), reference_hundredths_text(x)) << z;
    }
}

TEST(DataText, FloatsIntegersAndStrings) {
    std::mt19937_64 rng(8);
    for (int i = 0; i < 200000; ++i) {
        double x;
        const std::uint64_t bits = rng();
        std::memcpy(&x, &bits, sizeof x);
        std::string out;
        TextWriter(out).float_number(x);
        ASSERT_EQ(out, tessel::json::to_json(number_from_float(x)));
        const auto i64 = static_cast<std::int64_t>(rng());
        std::string ints;
        {
            TextWriter text(ints);
            text.signed_number(i64);
            text.put(',');
            text.unsigned_number(bits);
        }
        ASSERT_EQ(ints, std::to_string(i64) + "," + std::to_string(bits));
    }
    for (const std::string_view s : {std::string_view(""), std::string_view("#4c78a8"), std::string_view("a\"b\\c"),
                                     std::string_view("\x01\x1f\x7f/\b\f\n\r\t", 10), std::string_view("\xC3\xA9\0z", 4)}) {
        std::string out, expected;
        TextWriter(out).string(s);
        tessel::json::write_json_string(s, expected);
        EXPECT_EQ(out, expected);
    }
}

TEST(DataText, DecimalDigits) {
    std::vector<std::uint64_t> values = {0, 1, 9, 10, 11, 99, 100, 101, 18446744073709551615u};
    for (std::uint64_t p = 10; p <= 10000000000000000000u; p *= 10) {
        for (const std::uint64_t v : {p - 2, p - 1, p, p + 1}) values.push_back(v);
        if (p > 1844674407370955161u) break;
    }
    std::mt19937_64 rng(9);
    for (int i = 0; i < 100000; ++i) values.push_back(rng() >> (rng() % 64));
    for (const std::uint64_t v : values) {
        char buffer[24];
        ASSERT_EQ(std::string(buffer, tessel::activity::text::decimal(buffer, v)), std::to_string(v));
        ASSERT_EQ(tessel::activity::text::decimal_length(v), static_cast<int>(std::to_string(v).size()));
        const auto s = static_cast<std::int64_t>(v);
        ASSERT_EQ(std::string(buffer, tessel::activity::text::decimal(buffer, s)), std::to_string(s));
    }
}

TEST(DataText, WriterGrowsAndTruncates) {
    std::string out = "head";
    {
        TextWriter text(out);
        for (int i = 0; i < 100000; ++i) text.put("0123456789");
        EXPECT_EQ(text.size(), 4u + 1000000u);
        text.truncate(8);
        text.put('!');
    }
    EXPECT_EQ(out, "head0123!");
}

}  // namespace
