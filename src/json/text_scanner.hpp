#pragma once
// The scanning of the JSON reader: whitespace, literal words, strings with
// their escapes, numbers (with the reader's own float arithmetic) stored
// into document entries, the depth budget, and positioned errors.
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "json/reader.hpp"
#include "json/string_scan.hpp"
#include "json/document.hpp"
#include "json/powers_of_ten.hpp"

namespace tessel::json::detail {

constexpr bool is_digit(char c) noexcept {
    return static_cast<unsigned char>(c - '0') < 10;
}

constexpr int hex_value(char c) noexcept {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

inline void append_utf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) return out.push_back(static_cast<char>(cp));
    const int n = cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
    char buf[4];
    for (int i = n - 1; i > 0; --i, cp >>= 6) buf[i] = static_cast<char>(0x80 | (cp & 0x3F));
    buf[0] = static_cast<char>((0xF00 >> n) | cp);  // 0xC0, 0xE0 or 0xF0 in the low byte
    out.append(buf, static_cast<std::size_t>(n));
}

constexpr std::uint64_t head_of(Kind kind, std::size_t size, std::uint64_t flags = 0) noexcept {
    return static_cast<std::uint64_t>(kind) | flags | (static_cast<std::uint64_t>(size) << DocumentEntry::kSizeShift);
}

// How the scanner stores a number in an entry.
inline void store_unsigned(DocumentEntry& slot, std::uint64_t u) noexcept {
    slot = {head_of(Kind::Unsigned, 0), u};
}
inline void store_negative(DocumentEntry& slot, std::int64_t i) noexcept {
    // The scanner gives 0 or more as unsigned; below 0 it is negative.
    slot = {head_of(Kind::Negative, 0), static_cast<std::uint64_t>(i)};
}
inline void store_float(DocumentEntry& slot, double x) noexcept {
    slot = {head_of(Kind::Float, 0), std::bit_cast<std::uint64_t>(x)};
}
inline void store_decimal(DocumentEntry& slot, double x, std::uint64_t significand,
                          std::size_t fraction_digits) noexcept {
    // significand / 10^d with d <= 4 and at most 15 digits: x is nearest to it,
    // and those digits, fewer than a double keeps apart, are x's shortest.
    constexpr std::uint64_t kScale[] = {10000, 1000, 100, 10, 1};
    const std::uint64_t k = fraction_digits <= 4 ? significand * kScale[fraction_digits] : 0;
    if (k != 0 && k < (std::uint64_t{1} << 48) && significand < 1'000'000'000'000'000) {
        slot = {head_of(Kind::Float, static_cast<std::size_t>(k), DocumentEntry::kTenThousandths),
                std::bit_cast<std::uint64_t>(x)};
        return;
    }
    store_float(slot, x);
}

// One pass over the text with a byte pointer. Only the offset is tracked;
// line and column are computed from it when an error is reported.
class TextScanner {
protected:
    explicit TextScanner(std::string_view text)
        : begin_(text.data()), p_(text.data()), end_(text.data() + text.size()) {}

    static constexpr int kDepthBudget = 128;

    static constexpr bool starts_number(char c) noexcept { return c == '-' || is_digit(c); }

    // Reports an error positioned after the bytes before `consumed_end`: the
    // line of the last consumed byte and the count of consumed bytes on it.
    [[noreturn]] void fail(ReadErrorReason reason, const char* consumed_end) const {
        std::size_t line = 1;
        const char* line_start = begin_;
        for (const char* q = begin_; q != consumed_end; ++q) {
            if (*q == '\n') {
                ++line;
                line_start = q + 1;
            }
        }
        throw ReadError(reason, line, static_cast<std::size_t>(consumed_end - line_start));
    }
    // An error found at the byte `at` (which counts as consumed).
    [[noreturn]] void fail_at(ReadErrorReason reason, const char* at) const {
        fail(reason, at + 1);
    }
    // An error found because the text ended.
    [[noreturn]] void fail_eof(ReadErrorReason reason) const { fail(reason, end_); }

    void skip_whitespace() noexcept { p_ = skip_whitespace(p_); }
    const char* skip_whitespace(const char* p) const noexcept {
        // Compact text, the usual case, has none: one comparison tells.
        if (p != end_ && static_cast<unsigned char>(*p) > ' ') return p;
        while (p != end_) {
            const char c = *p;
            if (c != ' ' && c != '\n' && c != '\r' && c != '\t') break;
            ++p;
        }
        return p;
    }

    void expect_word(std::string_view rest) {
        for (const char c : rest) {
            if (p_ == end_) fail_eof(ReadErrorReason::EofWhileParsingValue);
            if (*p_ != c) fail_at(ReadErrorReason::ExpectedIdent, p_);
            ++p_;
        }
    }

    // After an element or member of a list closed by `close` (']' or '}'),
    // at `q`: steps over the comma and the whitespace after it to the next
    // one's first byte and returns true, or stops at the closing byte (q at
    // it) and returns false. `eof` and `expected` are the list's errors.
    bool next_in_list(const char*& q, char close, ReadErrorReason eof, ReadErrorReason expected) const {
        if (q != end_ && *q == ',') {  // the common, compact case
            ++q;
        } else {
            q = skip_whitespace(q);
            if (q == end_) fail_eof(eof);
            if (*q == close) return false;
            if (*q != ',') fail_at(expected, q);
            ++q;
        }
        q = skip_whitespace(q);
        if (q == end_) fail_eof(ReadErrorReason::EofWhileParsingValue);
        if (*q == close) fail_at(ReadErrorReason::TrailingComma, q);
        return true;
    }
    bool next_element(const char*& q) const {
        return next_in_list(q, ']', ReadErrorReason::EofWhileParsingList, ReadErrorReason::ExpectedListCommaOrEnd);
    }
    bool next_member(const char*& q) const {
        return next_in_list(q, '}', ReadErrorReason::EofWhileParsingObject, ReadErrorReason::ExpectedObjectCommaOrEnd);
    }

    // Reads string content after the opening quote, through the closing quote.
    // The result points into the text when the string has no escapes, else into
    // scratch_; it is valid until the next string is read.
    std::string_view read_string() {
        const char* const start = p_;
        const char* const stop = find_string_stop(start, end_);
        if (stop == end_) fail_eof(ReadErrorReason::EofWhileParsingString);
        if (*stop == '"') {
            p_ = stop + 1;
            return std::string_view(start, static_cast<std::size_t>(stop - start));
        }
        p_ = stop;
        scratch_.assign(start, p_);
        for (;;) {
            if (p_ == end_) fail_eof(ReadErrorReason::EofWhileParsingString);
            const char c = *p_;
            if (c == '"') {
                ++p_;
                return scratch_;
            }
            if (c == '\\') {
                ++p_;
                read_escape();
                continue;
            }
            if (static_cast<unsigned char>(c) < 0x20) {
                fail_at(ReadErrorReason::ControlCharacterWhileParsingString, p_);
            }
            const char* const run = p_;
            p_ = find_string_stop(p_, end_);
            scratch_.append(run, p_);
        }
    }

    // After a backslash.
    void read_escape() {
        static constexpr std::string_view kEscapes = "\"\\/bfnrt";
        static constexpr std::string_view kDecoded = "\"\\/\b\f\n\r\t";
        if (p_ == end_) fail_eof(ReadErrorReason::EofWhileParsingString);
        if (*p_ == 'u') {
            ++p_;
            read_unicode_escape();
            return;
        }
        const std::size_t at = kEscapes.find(*p_);
        if (at == std::string_view::npos) fail_at(ReadErrorReason::InvalidEscape, p_);
        scratch_.push_back(kDecoded[at]);
        ++p_;
    }

    // The four hexadecimal digits of a \u escape, as one UTF-16 code unit.
    std::uint32_t read_hex4() {
        if (end_ - p_ < 4) fail_eof(ReadErrorReason::EofWhileParsingString);
        std::uint32_t unit = 0;
        bool ok = true;
        for (int i = 0; i < 4; ++i) {
            const int digit = hex_value(p_[i]);
            ok &= digit >= 0;
            unit = unit * 16 + static_cast<std::uint32_t>(digit & 0xF);
        }
        p_ += 4;
        if (!ok) fail(ReadErrorReason::InvalidEscape, p_);
        return unit;
    }

    // After "\u".
    void read_unicode_escape() {
        const std::uint32_t unit = read_hex4();
        if (unit < 0xD800 || unit > 0xDFFF) {
            append_utf8(scratch_, unit);
            return;
        }
        if (unit >= 0xDC00) fail(ReadErrorReason::LoneLeadingSurrogateInHexEscape, p_);
        // A leading surrogate: "\u" and a trailing surrogate must follow.
        for (const char c : {'\\', 'u'}) {
            if (p_ == end_) fail_eof(ReadErrorReason::EofWhileParsingString);
            if (*p_ != c) fail_at(ReadErrorReason::UnexpectedEndOfHexEscape, p_);
            ++p_;
        }
        const std::uint32_t trailing = read_hex4();
        if (trailing < 0xDC00 || trailing > 0xDFFF) {
            fail(ReadErrorReason::LoneLeadingSurrogateInHexEscape, p_);
        }
        append_utf8(scratch_, 0x10000 + ((unit - 0xD800) << 10) + (trailing - 0xDC00));
    }

    // Appends one decimal digit to the significand unless it would overflow;
    // from the first digit that would, `dropping` is set and stays set.
    static void push_digit(std::uint64_t& significand, unsigned digit, bool& dropping) noexcept {
        if (dropping) return;
        if (significand > (UINT64_MAX - digit) / 10) {
            dropping = true;
            return;
        }
        significand = significand * 10 + digit;
    }

    // Reads a number starting at `start` (its sign or first digit) into
    // `slot`, which is null, and returns its end. The position is passed in
    // and out, not kept in p_ meanwhile: a position in memory is stored and
    // reloaded around every step, and each reload waits for the store.
    // Plain numbers of up to 19 digits without an exponent, nearly all numbers
    // of an option document, take a short path; any other text is read by the
    // general one from the start of the number.
    const char* read_number(DocumentEntry& slot, const char* start) {
        const char* q = start;
        const bool negative = *q == '-';
        q += negative;
        const char* const digits_start = q;
        const char* const digits_end = end_ - q > 20 ? q + 20 : end_;
        std::uint64_t significand = 0;
        while (q != digits_end && is_digit(*q)) significand = significand * 10 + static_cast<unsigned>(*q++ - '0');
        std::size_t integer_digits = static_cast<std::size_t>(q - digits_start);
        if (integer_digits == 0 || integer_digits > 19 || (integer_digits > 1 && *digits_start == '0')) {
            return read_number_general(slot, start);
        }
        if (q == end_ || (*q != '.' && *q != 'e' && *q != 'E')) {
            if (!negative) {
                store_unsigned(slot, significand);
            } else if (significand != 0 && significand <= (std::uint64_t{1} << 63)) {
                store_negative(slot, static_cast<std::int64_t>(0 - significand));
            } else {
                store_float(slot, -static_cast<double>(significand));
            }
            return q;
        }
        if (*q != '.') {
            return read_number_general(slot, start);
        }
        ++q;
        const char* const fraction_start = q;
        const char* const fraction_end =
            static_cast<std::size_t>(end_ - q) > 20 - integer_digits ? q + (20 - integer_digits) : end_;
        while (q != fraction_end && is_digit(*q)) significand = significand * 10 + static_cast<unsigned>(*q++ - '0');
        const std::size_t fraction_digits = static_cast<std::size_t>(q - fraction_start);
        if (fraction_digits == 0 || integer_digits + fraction_digits > 19 ||
            (q != end_ && (*q == 'e' || *q == 'E'))) {
            return read_number_general(slot, start);
        }
        // The general path's arithmetic for an exponent of -fraction_digits.
        const double f = static_cast<double>(significand) / kPowersOfTen[fraction_digits];
        store_decimal(slot, negative ? -f : f, significand, fraction_digits);
        return q;
    }

    // The general path, from the first byte of the number, through p_.
    const char* read_number_general(DocumentEntry& slot, const char* start) {
        p_ = start;
        read_number_general(slot);
        return p_;
    }

    void read_number_general(DocumentEntry& slot) {
        bool negative = false;
        if (*p_ == '-') {
            negative = true;
            ++p_;
            if (p_ == end_) fail_eof(ReadErrorReason::EofWhileParsingValue);
        }
        std::uint64_t significand = 0;
        bool dropping = false;
        // Power of ten implied by dropped integer digits, kept fraction digits and
        // the written exponent. Its parts are bounded by the text length and by
        // 2^31, so 64 bits cannot overflow.
        std::int64_t exponent = 0;
        bool is_float = false;

        if (*p_ == '0') {
            ++p_;
            if (p_ != end_ && is_digit(*p_)) fail_at(ReadErrorReason::InvalidNumber, p_);
        } else if (is_digit(*p_)) {
            // Up to 19 digits cannot overflow 64 bits.
            const char* const safe_end = end_ - p_ > 19 ? p_ + 19 : end_;
            while (p_ != safe_end && is_digit(*p_)) {
                significand = significand * 10 + static_cast<unsigned>(*p_ - '0');
                ++p_;
            }
            while (p_ != end_ && is_digit(*p_)) {
                push_digit(significand, static_cast<unsigned>(*p_ - '0'), dropping);
                if (dropping) ++exponent;
                ++p_;
            }
            is_float = dropping;
        } else {
            fail_at(ReadErrorReason::InvalidNumber, p_);
        }

        if (p_ != end_ && *p_ == '.') {
            ++p_;
            if (p_ == end_) fail_eof(ReadErrorReason::EofWhileParsingValue);
            if (!is_digit(*p_)) fail_at(ReadErrorReason::InvalidNumber, p_);
            while (p_ != end_ && is_digit(*p_)) {
                if (!dropping) {
                    push_digit(significand, static_cast<unsigned>(*p_ - '0'), dropping);
                    if (!dropping) --exponent;
                }
                ++p_;
            }
            is_float = true;
        }

        if (p_ != end_ && (*p_ == 'e' || *p_ == 'E')) {
            ++p_;
            bool negative_exponent = false;
            if (p_ != end_ && (*p_ == '+' || *p_ == '-')) {
                negative_exponent = *p_ == '-';
                ++p_;
            }
            if (p_ == end_) fail_eof(ReadErrorReason::EofWhileParsingValue);
            if (!is_digit(*p_)) fail_at(ReadErrorReason::InvalidNumber, p_);
            std::int64_t written = 0;
            while (p_ != end_ && is_digit(*p_)) {
                written = written * 10 + (*p_ - '0');
                if (written > INT32_MAX) {
                    // An exponent beyond 32 bits: zero, or out of range.
                    if (!negative_exponent && significand != 0) {
                        fail_at(ReadErrorReason::NumberOutOfRange, p_);
                    }
                    while (p_ != end_ && is_digit(*p_)) ++p_;
                    return store_float(slot, negative ? -0.0 : 0.0);
                }
                ++p_;
            }
            exponent += negative_exponent ? -written : written;
            is_float = true;
        }

        if (!is_float) {
            if (!negative) return store_unsigned(slot, significand);
            if (significand != 0 && significand <= (std::uint64_t{1} << 63)) {
                // Modular conversion: 2^63 becomes INT64_MIN.
                return store_negative(slot, static_cast<std::int64_t>(0 - significand));
            }
            // -0 and magnitudes beyond 2^63 are floats.
        }
        store_float(slot, decimal_to_double(significand, exponent, negative));
    }

    // significand × 10^exponent, one rounded IEEE operation at a time (this is
    // not a correctly rounding conversion, and must not become one: documents
    // read the same doubles as the reader they were written for). Errors are
    // positioned at the last digit of the number.
    double decimal_to_double(std::uint64_t significand, std::int64_t exponent,
                             bool negative) const {
        double f = static_cast<double>(significand);
        for (;;) {
            const std::uint64_t magnitude = exponent < 0 ? 0 - static_cast<std::uint64_t>(exponent)
                                                         : static_cast<std::uint64_t>(exponent);
            if (magnitude <= 308) {
                const double power = kPowersOfTen[magnitude];
                if (exponent >= 0) {
                    f *= power;
                    if (std::isinf(f)) fail(ReadErrorReason::NumberOutOfRange, p_);
                } else {
                    f /= power;
                }
                break;
            }
            if (f == 0.0) break;
            if (exponent > 0) fail(ReadErrorReason::NumberOutOfRange, p_);
            f /= 1e308;
            exponent += 308;
        }
        return negative ? -f : f;
    }

    const char* const begin_;
    const char* p_;
    const char* const end_;
    int depth_ = kDepthBudget;
    std::string scratch_;
};

}  // namespace tessel::json::detail
