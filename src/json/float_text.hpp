#pragma once
// The JSON float form of a double, formatted into a caller's buffer: the
// shortest round-trip digits, laid out as the writer's float form requires:
// "1.0", "0.25", "1e-07", "1.5e+300". The layout rule lives here, and in
// TextWriter::fraction_text for numbers whose few fraction digits are known.
// Chart data is written one coordinate at a time, hundreds of thousands of
// them per call, so this finds the digits with three 64 x 128-bit products per
// value instead of the general conversion of the standard library, and
// writes without a string target. The writer (json/writer.hpp) uses it too.
#include <cstddef>
#include <cstdint>

namespace tessel::json {

// "-1.7976931348623157e+308" is the longest text.
inline constexpr std::size_t max_json_float_bytes = 24;
// The room the formatter needs at its target: it moves digits in blocks of
// fixed size, which may reach past the end of its text.
inline constexpr std::size_t json_float_room = 40;

// Writes the text of x at `out`, which has room for json_float_room bytes,
// and returns its end. NaN and the infinities give "null". Finds the
// shortest digits, then spells them.
char* format_json_float(double x, char* out) noexcept;

}  // namespace tessel::json
