#pragma once
// The JSON text of the data items that the finalizers write, produced
// directly into the output buffer. Every method writes exactly what the JSON
// writer (Part 3.1) writes for the same value built as a JsonValue (see
// data_items.hpp); the tests compare the two on generated inputs.
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "activity/option_document.hpp"

namespace tessel::activity {

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

    void unsigned_number(std::uint64_t u) {
        char* p = room(20);
        cursor_ = std::to_chars(p, p + 20, u).ptr;
    }
    void signed_number(std::int64_t i) {
        char* p = room(20);
        cursor_ = std::to_chars(p, p + 20, i).ptr;
    }

    // The text of number_from_float(round_hundredths(x)).
    void hundredths(double x) {
        const double z = round_half_away_from_zero(x * 100.0);  // round_hundredths before its division
        if (!(std::fabs(z) < kDirectHundredthsLimit)) {
            float_number(z / 100.0);  // NaN, the infinities and huge values
            return;
        }
        char* p = room(24);
        if (std::signbit(z)) *p++ = '-';
        const auto count = static_cast<std::uint64_t>(std::fabs(z));
        p = std::to_chars(p, p + 20, count / 100).ptr;
        const auto fraction = static_cast<unsigned>(count % 100);
        p[0] = '.';
        p[1] = static_cast<char>('0' + fraction / 10);
        p[2] = static_cast<char>('0' + fraction % 10);
        cursor_ = p + (fraction % 10 != 0 ? 3 : 2);
    }

    // The text of number_from_float(x): the writer's float form, or null.
    void float_number(double x);

    // A JSON string in the writer's form.
    void string(std::string_view text) {
        for (const char c : text) {
            const auto b = static_cast<unsigned char>(c);
            if (b < 0x20 || b == '"' || b == '\\') {
                escaped_string(text);
                return;
            }
        }
        char* p = room(text.size() + 2);
        *p++ = '"';
        std::memcpy(p, text.data(), text.size());
        p += text.size();
        *p++ = '"';
        cursor_ = p;
    }

private:
    // For |z| < 1e15 the double z / 100 lies below 1e13, where doubles are
    // less than 0.002 apart. The decimal z / 100 with its trailing zero
    // dropped is then the only decimal of at most two fraction digits that
    // reads back as that double, and no decimal with fewer digits does, so
    // it is the writer's shortest form; it is also plain (no exponent) as
    // |z / 100| is 0 or between 0.01 and 1e13.
    static constexpr double kDirectHundredthsLimit = 1e15;

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
