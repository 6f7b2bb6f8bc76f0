#pragma once
// The compact JSON writer: no whitespace outside strings, members in order,
// numbers in the text form of their kind.
#include <cstdint>
#include <string>
#include <string_view>

#include "json/value.hpp"

namespace tessel::json {

// Appends the compact text of `value` to `out`.
void write_json(const JsonValue& value, std::string& out);
std::string to_json(const JsonValue& value);

// Appends `text` as a JSON string: quoted, with '"', '\\' and the bytes
// below 0x20 escaped; everything else (including non-ASCII UTF-8) unchanged.
void write_json_string(std::string_view text, std::string& out);

// The float form: shortest round-trip digits, plain within 1e-5 <= |x| < 1e16
// (always with a fraction, "1.0"), exponent form outside; NaN and the
// infinities give "null".
void write_json_float(double x, std::string& out);

void write_json_unsigned(std::uint64_t u, std::string& out);
void write_json_signed(std::int64_t i, std::string& out);

}  // namespace tessel::json
