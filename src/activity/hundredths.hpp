#pragma once
// The finalizers' numbers: a value rounded to hundredths, spelled in the
// float form.
#include <cmath>
#include <cstdint>

#include "json/text_writer.hpp"

namespace tessel::activity {

// The integral double nearest to y, halves away from zero (as std::round,
// whose library call this avoids); NaN and the infinities pass unchanged and
// the sign of zero is kept.
inline double round_half_away_from_zero(double y) noexcept {
    // From 2^52 on every double is integral.
    if (!(std::fabs(y) < 4503599627370496.0)) return y;
    double t = static_cast<double>(static_cast<std::int64_t>(y));  // toward zero
    const double rest = y - t;                                     // exact
    if (rest >= 0.5) {
        t += 1.0;
    } else if (rest <= -0.5) {
        t -= 1.0;
    }
    return std::copysign(t, y);
}

// Room hundredths_text needs at its target.
inline constexpr std::size_t kHundredthsRoom = json::TextWriter::kScalarRoom;

// The float text of x × 100 rounded to an integer (halves away from zero)
// and divided by 100, each step one binary64 operation; null when that is
// not finite (a product that overflows included).
//
// For |z| < 1e15 the double z / 100 lies below 1e13, where doubles are less
// than 0.002 apart: z / 100 with its trailing zero dropped is then the only
// decimal of at most two fraction digits that reads back as that double, and
// no shorter one does, so those are its shortest digits; it is also plain
// (no exponent), as |z / 100| is 0 or between 0.01 and 1e13.
inline char* hundredths_text(double x, char* p) noexcept {
    const double z = round_half_away_from_zero(x * 100.0);
    if (!(std::fabs(z) < 1e15)) return json::TextWriter::float_text(z / 100.0, p);
    const auto count = static_cast<std::uint64_t>(std::fabs(z));
    return json::TextWriter::fraction_text<2>(std::signbit(z), count, p);
}

}  // namespace tessel::activity
