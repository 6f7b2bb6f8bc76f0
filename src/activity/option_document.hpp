#pragma once
// Option documents of the activity finalizers: decoding, in-place access to
// members and elements, the numbers written into them, and encoding.
//
// Every operation works on the one document that a finalizer call owns.
// References handed out point into that document and stay valid until the
// next edit that adds members to, or elements to, the value that holds them.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "json/value.hpp"

namespace tessel::activity {

// Reads the option text. Throws tessel::ValueError "failed to decode option
// JSON: {reader error text}" when the text is not one JSON value, and
// "option JSON root must be an object" when the value is not an object.
json::JsonValue decode_option_document(std::string_view option_json);

// The value of member `key` of `target`, in place. A null target first
// becomes an empty object; a missing member is appended with the value null.
// Any other kind of target is an internal failure:
// cannot access key "{key}" in JSON {kind}.
json::JsonValue& member_or_insert(json::JsonValue& target, std::string_view key);

// Element `position` of the array `target`, in place; never creates one.
// Internal failure "cannot access index {position} of JSON array of length {n}"
// past the end, "cannot access index {position} of JSON {kind}" on a non-array.
json::JsonValue& element_at(json::JsonValue& target, std::size_t position);

// The root member "series" when it is an array (appended as null when
// missing, which the failure then discards with the document); otherwise
// tessel::ValueError "option JSON must contain a series array".
json::JsonArray& require_series_array(json::JsonValue& document);

// A float number holding exactly x when x is finite; null for NaN and the infinities.
json::JsonValue number_from_float(double x) noexcept;

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

// x × 100, rounded to the nearest integer with halves away from zero, ÷ 100;
// each step one binary64 operation. NaN and the infinities pass unchanged,
// and a product that overflows gives an infinity.
inline double round_hundredths(double x) noexcept { return round_half_away_from_zero(x * 100.0) / 100.0; }

// The compact JSON text of the document.
std::string encode_option_document(const json::JsonValue& document);

}  // namespace tessel::activity
