#pragma once
// Pieces of the finalizers' data items, written at a raw cursor into room
// the caller has made (TextWriter::room): most items need one reservation.
#include <cstddef>
#include <cstring>

#include "activity/hundredths.hpp"
#include "json/text_writer.hpp"

namespace tessel::activity {

// Room for the part of an item before or after its colour (a string that
// makes its own room): the punctuation, a value (kHundredthsRoom), an
// opacity (kScalarRoom) and a count (20).
inline constexpr std::size_t kItemRoom = 64 + kHundredthsRoom + json::TextWriter::kScalarRoom;

template <std::size_t N>
inline char* literal(char* p, const char (&s)[N]) noexcept {
    std::memcpy(p, s, N - 1);
    return p + (N - 1);
}

// {"value":…,"itemStyle":{"color":
inline char* item_start(char* p, double percentage) noexcept {
    p = literal(p, "{\"value\":");
    p = hundredths_text(percentage, p);
    return literal(p, ",\"itemStyle\":{\"color\":");
}

}  // namespace tessel::activity
