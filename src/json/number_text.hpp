#pragma once
// Decimal text of doubles outside JSON.
#include <cstddef>

namespace tessel::json {

// Room fixed_text needs at its target: a sign, the 309 integral digits of
// the largest double, a point and the fraction digits.
constexpr std::size_t fixed_text_room(unsigned precision) noexcept { return 311 + precision; }

// Writes x with exactly `precision` digits after the point (no point when
// precision is 0), never an exponent, and returns the end. The digits are
// those of the exact value of x rounded to that many places, a tie going to
// the even last digit. A "-" precedes every negative x, -0.0 and values
// rounding to zero included. NaN gives "NaN", the infinities "inf" and "-inf".
char* fixed_text(double x, unsigned precision, char* p);

}  // namespace tessel::json
