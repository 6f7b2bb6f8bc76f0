#pragma once
// Text forms of the picture: escaped character data and the number forms of
// attribute values.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "json/number_text.hpp"

namespace tessel::svg {

// Appends `text` for use as element content or inside a double-quoted
// attribute: "&", "<", ">" and the double quote become "&amp;", "&lt;",
// "&gt;" and "&quot;" (the ampersand first, so an ampersand already in the
// text is escaped as well). Characters that XML 1.0 does not allow (C0
// controls other than tab, line feed and carriage return; U+FFFE, U+FFFF)
// are left out, so any document text yields a well-formed picture. Every
// other character, the apostrophe and non-ASCII ones included, is copied.
// `text` is UTF-8.
void append_svg_text(std::string_view text, std::string& out);

// Integer form: decimal digits, no sign, no leading zeros.
void append_integer(std::uint32_t value, std::string& out);

// Two-decimal form: the exact value rounded to hundredths, ties to even,
// "-" on every negative value including -0.0 ("-0.00").
void append_two_decimal(double value, std::string& out);

// The two-decimal form written at p, which has kTwoDecimalRoom bytes; returns
// its end. For texts made of many numbers, appended in one piece.
inline constexpr std::size_t kTwoDecimalRoom = json::fixed_text_room(2);
inline char* two_decimal_text(double value, char* p) { return json::fixed_text(value, 2, p); }

// Whole-number form: as the two-decimal form with no point and no fraction.
void append_whole_number(double value, std::string& out);

}  // namespace tessel::svg
