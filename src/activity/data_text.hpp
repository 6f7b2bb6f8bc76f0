#pragma once
// The JSON text of the data items that the finalizers write, produced
// directly into the output buffer. Every method writes exactly what the JSON
// writer (json/writer.hpp) writes for the same value built as a JsonValue (see
// data_items.hpp); the tests compare the two on generated inputs.
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "activity/option_document.hpp"

namespace tessel::activity {

// Raw-pointer pieces of the data item text, for writers that take the room
// for a whole item at once (TextWriter::reserve).
namespace text {

// Copies n bytes; up to 16 with fixed-size (overlapping) moves, so short
// runs need no library call. Returns the end.
inline char* copy(char* p, const char* s, std::size_t n) noexcept {
    if (n >= 8 && n <= 16) {
        std::memcpy(p, s, 8);
        std::memcpy(p + n - 8, s + n - 8, 8);
    } else if (n >= 4 && n < 8) {
        std::memcpy(p, s, 4);
        std::memcpy(p + n - 4, s + n - 4, 4);
    } else if (n < 4) {
        for (std::size_t i = 0; i < n; ++i) p[i] = s[i];
    } else {
        std::memcpy(p, s, n);
    }
    return p + n;
}

// Two decimal digits per entry, "00" to "99".
inline constexpr char kDigitPairs[201] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// The number of decimal digits of u (1 for 0).
inline int decimal_length(std::uint64_t u) noexcept {
    static constexpr std::uint64_t kPowers[20] = {1u,
                                                  10u,
                                                  100u,
                                                  1000u,
                                                  10000u,
                                                  100000u,
                                                  1000000u,
                                                  10000000u,
                                                  100000000u,
                                                  1000000000u,
                                                  10000000000u,
                                                  100000000000u,
                                                  1000000000000u,
                                                  10000000000000u,
                                                  100000000000000u,
                                                  1000000000000000u,
                                                  10000000000000000u,
                                                  100000000000000000u,
                                                  1000000000000000000u,
                                                  10000000000000000000u};
    // log10(2) ≈ 1233 / 4096 turns the bit length into the digit count or
    // one less. (u | 1 reaches a power of ten exactly when u does, the powers
    // from 10 on being even, and it counts 0 as one digit.)
    const std::uint64_t v = u | 1;
    const int guess = (std::bit_width(v) * 1233) >> 12;
    return guess + (v >= kPowers[guess] ? 1 : 0);
}

// The decimal digits of u (at most 20 bytes), written from the last digit
// back. Same text as std::to_chars, whose libstdc++ version rebuilds its
// digit table on the stack per call.
inline char* decimal(char* p, std::uint64_t u) noexcept {
    char* const end = p + decimal_length(u);
    char* q = end;
    while (u >= 100) {
        const auto pair = static_cast<unsigned>(u % 100) * 2;
        u /= 100;
        q -= 2;
        q[0] = kDigitPairs[pair];
        q[1] = kDigitPairs[pair + 1];
    }
    if (u >= 10) {
        q[-2] = kDigitPairs[u * 2];
        q[-1] = kDigitPairs[u * 2 + 1];
    } else {
        q[-1] = static_cast<char>('0' + u);
    }
    return end;
}

// The decimal text of i, with "-" when negative (at most 20 bytes).
inline char* decimal(char* p, std::int64_t i) noexcept {
    auto magnitude = static_cast<std::uint64_t>(i);
    if (i < 0) {
        *p++ = '-';
        magnitude = 0 - magnitude;
    }
    return decimal(p, magnitude);
}

template <std::size_t N>
inline char* literal(char* p, const char (&s)[N]) noexcept {
    std::memcpy(p, s, N - 1);
    return p + (N - 1);
}

// True when the writer writes `text` between quotes unchanged.
inline bool needs_no_escape(std::string_view text) noexcept {
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == '"' || b == '\\') return false;
    }
    return true;
}

// For |z| < 1e15 the double z / 100 lies below 1e13, where doubles are less
// than 0.002 apart. The decimal z / 100 with its trailing zero dropped is
// then the only decimal of at most two fraction digits that reads back as
// that double, and no decimal with fewer digits does, so it is the writer's
// shortest form; it is also plain (no exponent) as |z / 100| is 0 or between
// 0.01 and 1e13.
inline constexpr double kDirectHundredthsLimit = 1e15;

// z = the count of hundredths of round_hundredths(x) (before its division);
// true when its text is written by hundredths_digits.
inline bool direct_hundredths(double x, double& z) noexcept {
    z = round_half_away_from_zero(x * 100.0);
    return std::fabs(z) < kDirectHundredthsLimit;
}

// The writer's text of z / 100 for a direct z (at most 24 bytes).
inline char* hundredths_digits(char* p, double z) noexcept {
    if (std::signbit(z)) *p++ = '-';
    const auto count = static_cast<std::uint64_t>(std::fabs(z));
    p = decimal(p, count / 100);
    const auto fraction = static_cast<unsigned>(count % 100);
    p[0] = '.';
    p[1] = static_cast<char>('0' + fraction / 10);
    p[2] = static_cast<char>('0' + fraction % 10);
    return p + (fraction % 10 != 0 ? 3 : 2);
}

}  // namespace text

// Appends to `out` through a raw pointer: while the writer lives, `out` is
// kept sized ahead of the written length (the extra bytes are scratch) and it
// is cut back to the written text when the writer goes away. Nothing else may
// touch `out` meanwhile.
class TextWriter {
public:
    explicit TextWriter(std::string& out)
        : out_(out), base_(out.data()), cursor_(base_ + out.size()), limit_(cursor_) {}
    TextWriter(const TextWriter&) = delete;
    TextWriter& operator=(const TextWriter&) = delete;
    ~TextWriter() { out_.resize(size()); }

    // Room for n bytes at the returned cursor; commit(end) keeps what was
    // written there.
    char* reserve(std::size_t n) { return room(n); }
    void commit(char* end) noexcept { cursor_ = end; }

    // The length of the text written so far, and a cut back to such a length.
    std::size_t size() const noexcept { return static_cast<std::size_t>(cursor_ - base_); }
    void truncate(std::size_t length) noexcept { cursor_ = base_ + length; }

    void put(char c) {
        if (cursor_ == limit_) grow(1);
        *cursor_++ = c;
    }
    void put(std::string_view text) {
        char* p = room(text.size());
        std::memcpy(p, text.data(), text.size());
        cursor_ = p + text.size();
    }
    // The bytes of `text`, which lies in a buffer readable up to
    // `readable_end`: short runs are copied as one fixed 16-byte block (the
    // bytes beyond the run land in the scratch room and are overwritten
    // later), which spares a library call per token.
    void put_from(std::string_view text, const char* readable_end) {
        if (text.size() <= 16 && readable_end - text.data() >= 16) {
            char* p = room(16);
            std::memcpy(p, text.data(), 16);
            cursor_ = p + text.size();
            return;
        }
        put(text);
    }

    void unsigned_number(std::uint64_t u) { cursor_ = text::decimal(room(20), u); }
    void signed_number(std::int64_t i) { cursor_ = text::decimal(room(20), i); }

    // The text of number_from_float(round_hundredths(x)).
    void hundredths(double x) {
        double z;
        if (!text::direct_hundredths(x, z)) {
            float_number(z / 100.0);  // NaN, the infinities and huge values
            return;
        }
        cursor_ = text::hundredths_digits(room(24), z);
    }

    // The text of number_from_float(x): the writer's float form, or null.
    void float_number(double x);

    // A JSON string in the writer's form.
    void string(std::string_view s) {
        if (!text::needs_no_escape(s)) {
            escaped_string(s);
            return;
        }
        char* p = room(s.size() + 2);
        *p++ = '"';
        p = text::copy(p, s.data(), s.size());
        *p++ = '"';
        cursor_ = p;
    }

private:
    // Room for n more bytes at the cursor.
    char* room(std::size_t n) {
        if (static_cast<std::size_t>(limit_ - cursor_) < n) grow(n);
        return cursor_;
    }
    void grow(std::size_t n);
    void escaped_string(std::string_view text);

    std::string& out_;
    // out_ is sized to limit_; the bytes from cursor_ on are scratch.
    char* base_;
    char* cursor_;
    char* limit_;
};

}  // namespace tessel::activity
