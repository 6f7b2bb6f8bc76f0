#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>

#include "json/number_text.hpp"

namespace {

std::string fixed(double x, unsigned precision) {
    std::string out(tessel::json::fixed_text_room(precision), '\0');
    out.resize(static_cast<std::size_t>(tessel::json::fixed_text(x, precision, out.data()) - out.data()));
    return out;
}

// glibc's printf writes the exact value of the double rounded to the
// precision, an exact tie going to the even digit: an independent oracle for
// finite values.
std::string printf_fixed(double x, unsigned precision) {
    // At most 309 integral digits, a sign and a point.
    std::string text(precision + 330, '\0');
    const int n = std::snprintf(text.data(), text.size(), "%.*f", static_cast<int>(precision), x);
    text.resize(static_cast<std::size_t>(n));
    return text;
}

// Ties, values just off a half, signed zeros, both ends of the range and
// long precisions, against printf (which never uses an exponent either).
TEST(FixedText, EdgesMatchPrintf) {
    const double edges[] = {1.0, 97.2, 0.125, 0.375, 2.675, 0.005, -0.001, -0.0, 0.0, -12.345, 1e21, 0.5, 1.5, 2.5,
                            172.5, 197.5, 208.75, -0.4, 0.49999999999999994, 4503599627370497.0, 0.1,
                            std::ldexp(1.0, 64), std::numeric_limits<double>::max(),
                            -std::numeric_limits<double>::max(), std::numeric_limits<double>::denorm_min(),
                            -std::numeric_limits<double>::denorm_min()};
    for (const double x : edges) {
        for (const unsigned precision : {0u, 1u, 2u, 30u, 1100u}) {
            ASSERT_EQ(fixed(x, precision), printf_fixed(x, precision)) << x << " " << precision;
        }
    }
}

// m * 2^-k (m odd) has k decimals, the last a 5: at k - 1 places an exact
// tie, which past 19 places only the arbitrary-size path sees.
TEST(FixedText, TiesAtManyPlacesMatchPrintf) {
    for (int k = 1; k <= 120; ++k) {
        for (const double m : {1.0, 3.0, 5.0, 7.0}) {
            const double x = std::ldexp(m, -k);
            for (const unsigned precision : {static_cast<unsigned>(k - 1), static_cast<unsigned>(k)}) {
                ASSERT_EQ(fixed(x, precision), printf_fixed(x, precision)) << m << " * 2^-" << k << " " << precision;
            }
        }
    }
}

// Just above a tie at 32 places, the only bit of the remainder below the
// half is the lowest of a 32-bit limb: x = m * 2^-43 with m of 53 bits and
// m * 10^32 = 2^42 + 2^32 modulo 2^44.
TEST(FixedText, RemainderBitAtALimbEdgeMatchesPrintf) {
    const double x = std::ldexp(4503599627371649.0, -43);
    EXPECT_EQ(fixed(x, 32), printf_fixed(x, 32));
}

TEST(FixedText, NonFinite) {
    for (unsigned precision : {0u, 2u}) {
        EXPECT_EQ(fixed(std::nan(""), precision), "NaN");
        EXPECT_EQ(fixed(-std::nan(""), precision), "NaN");
        EXPECT_EQ(fixed(std::numeric_limits<double>::infinity(), precision), "inf");
        EXPECT_EQ(fixed(-std::numeric_limits<double>::infinity(), precision), "-inf");
    }
}

// Every path (rounded in doubles away from ties, 128-bit for the usual
// magnitudes, arbitrary-size otherwise) agrees with printf, over typical
// coordinates, near ties and arbitrary doubles.
TEST(FixedText, MatchesPrintf) {
    std::mt19937_64 rng(2024);
    for (int i = 0; i < 300000; ++i) {
        double x;
        switch (i % 5) {
            case 0:  // SVG coordinates: hundredths up to 8000
                x = static_cast<double>(rng() % 800000) / 100.0;
                break;
            case 1:  // exact ties at two decimals and at whole numbers
                x = static_cast<double>(rng() % 100000) / 8.0;
                break;
            case 4: {  // a few ulps from a tie at two decimals or at whole numbers
                const double tie = (static_cast<double>(rng() % 800000) + 0.5) / (i % 3 == 1 ? 1.0 : 100.0);
                x = tie;
                for (int steps = static_cast<int>(rng() % 7) - 3; steps != 0; steps += steps < 0 ? 1 : -1) {
                    x = std::nextafter(x, steps < 0 ? 0.0 : 1e300);
                }
                break;
            }
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
