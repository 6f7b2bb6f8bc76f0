#pragma once
// Decimal text of doubles outside JSON.
#include <string>

namespace tessel::json {

// Appends x with exactly `precision` digits after the point (no point when
// precision is 0), never an exponent. The digits are those of the exact value
// of x rounded to that many places, a tie going to the even last digit. A "-"
// precedes every negative x, -0.0 and values rounding to zero included.
// NaN gives "NaN", the infinities "inf" and "-inf".
void append_fixed(double x, unsigned precision, std::string& out);

}  // namespace tessel::json
