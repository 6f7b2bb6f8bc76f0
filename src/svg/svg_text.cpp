#include "svg/svg_text.hpp"

#include <charconv>

namespace tessel::svg {

namespace {

// What a byte of UTF-8 text turns into: copied as it is, replaced by a
// character reference, or (for a control character XML cannot hold) dropped.
enum class ByteClass : unsigned char { Copy, Amp, Lt, Gt, Quot, Drop, MaybeNonCharacter };

constexpr ByteClass classify(unsigned char b) noexcept {
    switch (b) {
        case '&': return ByteClass::Amp;
        case '<': return ByteClass::Lt;
        case '>': return ByteClass::Gt;
        case '"': return ByteClass::Quot;
        case '\t':
        case '\n':
        case '\r': return ByteClass::Copy;
        case 0xEF: return ByteClass::MaybeNonCharacter;  // lead byte of U+FFFE and U+FFFF
        default: return b < 0x20 ? ByteClass::Drop : ByteClass::Copy;
    }
}

struct ByteClassTable {
    ByteClass of[256];
    constexpr ByteClassTable() : of{} {
        for (int b = 0; b < 256; ++b) of[b] = classify(static_cast<unsigned char>(b));
    }
};

constexpr ByteClassTable kByteClass;

// U+FFFE and U+FFFF are EF BF BE and EF BF BF in UTF-8.
bool is_xml_non_character(std::string_view text, std::size_t i) noexcept {
    return i + 2 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0xBF &&
           (static_cast<unsigned char>(text[i + 2]) & 0xFE) == 0xBE;
}

}  // namespace

void append_svg_text(std::string_view text, std::string& out) {
    std::size_t run_start = 0;
    std::size_t i = 0;
    auto flush_run = [&] { out.append(text.data() + run_start, i - run_start); };
    while (i < text.size()) {
        const ByteClass c = kByteClass.of[static_cast<unsigned char>(text[i])];
        if (c == ByteClass::Copy || (c == ByteClass::MaybeNonCharacter && !is_xml_non_character(text, i))) {
            ++i;
            continue;
        }
        flush_run();
        std::size_t width = 1;
        switch (c) {
            case ByteClass::Amp: out += "&amp;"; break;
            case ByteClass::Lt: out += "&lt;"; break;
            case ByteClass::Gt: out += "&gt;"; break;
            case ByteClass::Quot: out += "&quot;"; break;
            case ByteClass::MaybeNonCharacter: width = 3; break;
            default: break;  // a forbidden control character: left out
        }
        i += width;
        run_start = i;
    }
    flush_run();
}

void append_integer(std::uint32_t value, std::string& out) {
    char digits[10];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end);
}

void append_two_decimal(double value, std::string& out) {
    char text[kTwoDecimalRoom];
    out.append(text, two_decimal_text(value, text));
}

void append_whole_number(double value, std::string& out) {
    char text[json::fixed_text_room(0)];
    out.append(text, json::fixed_text(value, 0, text));
}

}  // namespace tessel::svg
