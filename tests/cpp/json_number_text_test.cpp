#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>

#include "json/number_text.hpp"

namespace {

using tessel::json::append_fixed;

std::string fixed(double x, unsigned precision) {
    std::string out;
    append_fixed(x, precision, out);
    return out;
}

// glibc's printf writes the exact value of the double rounded to the
// precision, an exact tie going to the even digit: an independent oracle for
// finite values.
std::string printf_fixed(double x, unsigned precision) {
    // At most 309 integral digits, a sign and a point.
    std::string text(precision + 320, '\0');
    const int n = std::snprintf(text.data(), text.size(), "%.*f", static_cast<int>(precision), x);
    text.resize(static_cast<std::size_t>(n));
    return text;
}

TEST(FixedText, TwoDecimals) {
    EXPECT_EQ(fixed(1.0, 2), "1.00");
    EXPECT_EQ(fixed(97.2, 2), "97.20");
    EXPECT_EQ(fixed(0.125, 2), "0.12");  // exact tie, even digit
    EXPECT_EQ(fixed(0.375, 2), "0.38");  // exact tie, even digit
    EXPECT_EQ(fixed(2.675, 2), "2.67");  // just below the half
    EXPECT_EQ(fixed(0.005, 2), "0.01");  // just above the half
    EXPECT_EQ(fixed(-0.001, 2), "-0.00");
    EXPECT_EQ(fixed(-0.0, 2), "-0.00");
    EXPECT_EQ(fixed(0.0, 2), "0.00");
    EXPECT_EQ(fixed(-12.345, 2), "-12.35");
    EXPECT_EQ(fixed(1e21, 2), "1000000000000000000000.00");
}

TEST(FixedText, WholeNumbers) {
    EXPECT_EQ(fixed(0.5, 0), "0");
    EXPECT_EQ(fixed(1.5, 0), "2");
    EXPECT_EQ(fixed(2.5, 0), "2");
    EXPECT_EQ(fixed(172.5, 0), "172");
    EXPECT_EQ(fixed(197.5, 0), "198");
    EXPECT_EQ(fixed(208.75, 0), "209");
    EXPECT_EQ(fixed(245.0, 0), "245");
    EXPECT_EQ(fixed(-0.4, 0), "-0");
    EXPECT_EQ(fixed(0.49999999999999994, 0), "0");
    EXPECT_EQ(fixed(4503599627370497.0, 0), "4503599627370497");
}

TEST(FixedText, NonFinite) {
    for (unsigned precision : {0u, 2u}) {
        EXPECT_EQ(fixed(std::nan(""), precision), "NaN");
        EXPECT_EQ(fixed(-std::nan(""), precision), "NaN");
        EXPECT_EQ(fixed(std::numeric_limits<double>::infinity(), precision), "inf");
        EXPECT_EQ(fixed(-std::numeric_limits<double>::infinity(), precision), "-inf");
    }
}

TEST(FixedText, ExtremesNeverUseAnExponent) {
    const std::string max_digits =
        "1797693134862315708145274237317043567980705675258449965989174768031572607800285387605"
        "8955863276687817154045895351438246423432132688946418276846754670353751698604991057655"
        "1282076245490090389328944075868508455133942304583236903222948165808559332123348274797"
        "826204144723168738177180919299881250404026184124858368";
    EXPECT_EQ(fixed(std::numeric_limits<double>::max(), 0), max_digits);
    EXPECT_EQ(fixed(-std::numeric_limits<double>::max(), 1), "-" + max_digits + ".0");
    EXPECT_EQ(fixed(std::numeric_limits<double>::denorm_min(), 2), "0.00");
    EXPECT_EQ(fixed(-std::numeric_limits<double>::denorm_min(), 0), "-0");
    EXPECT_EQ(fixed(0.1, 30), "0.100000000000000005551115123126");
    EXPECT_EQ(fixed(std::ldexp(1.0, 64), 0), "18446744073709551616");
    const std::string tiny = fixed(std::numeric_limits<double>::denorm_min(), 1100);
    EXPECT_EQ(tiny.substr(0, 326), "0." + std::string(323, '0') + "4");
    EXPECT_EQ(tiny.size(), 1102u);
}

TEST(FixedText, AppendsToExistingText) {
    std::string out = "x=";
    append_fixed(1.5, 1, out);
    out += ",";
    append_fixed(-2.25, 1, out);
    EXPECT_EQ(out, "x=1.5,-2.2");
}

// Both paths (128-bit for the usual magnitudes, arbitrary-size otherwise)
// agree with printf, over typical coordinates and over arbitrary doubles.
TEST(FixedText, MatchesPrintf) {
    std::mt19937_64 rng(2024);
    for (int i = 0; i < 300000; ++i) {
        double x;
        switch (i % 4) {
            case 0:  // SVG coordinates: hundredths up to 8000
                x = static_cast<double>(rng() % 800000) / 100.0;
                break;
            case 1:  // exact ties at two decimals and at whole numbers
                x = static_cast<double>(rng() % 100000) / 8.0;
                break;
            case 2:  // any bit pattern
                x = std::bit_cast<double>(rng());
                break;
            default:  // any magnitude from 2^-80 to 2^80
                x = std::ldexp(static_cast<double>(rng() >> 11),
                               static_cast<int>(rng() % 160) - 133);
                break;
        }
        if (rng() % 2) x = -x;
        const unsigned precision =
            i % 3 == 0 ? static_cast<unsigned>(rng() % 25) : (i % 3 == 1 ? 0u : 2u);
        const std::string text = fixed(x, precision);
        if (std::isfinite(x)) {
            ASSERT_EQ(text, printf_fixed(x, precision)) << std::hexfloat << x << " " << precision;
        }
    }
}

}  // namespace
