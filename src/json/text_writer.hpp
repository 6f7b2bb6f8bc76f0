#pragma once
// The one text buffer of the module's writers, and the text of scalars and
// strings: JSON trees and documents, the finalizers' data and the option
// document's data are all written through it.
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "json/float_text.hpp"
#include "json/string_scan.hpp"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tessel::json {

namespace detail {

// The escape of a byte that needs one, written at `out` (room for 6 bytes);
// returns its length.
inline std::size_t escape_text(unsigned char c, char* out) {
    char letter = 0;
    switch (c) {
        case '"': letter = '"'; break;
        case '\\': letter = '\\'; break;
        case '\b': letter = 'b'; break;
        case '\t': letter = 't'; break;
        case '\n': letter = 'n'; break;
        case '\f': letter = 'f'; break;
        case '\r': letter = 'r'; break;
        default: {
            static constexpr char kHex[] = "0123456789abcdef";
            const char form[6] = {'\\', 'u', '0', '0', kHex[c >> 4], kHex[c & 0xF]};
            std::memcpy(out, form, sizeof form);
            return sizeof form;
        }
    }
    out[0] = '\\';
    out[1] = letter;
    return 2;
}

// "00" to "99", two bytes each.
inline constexpr std::array<char, 200> kDigitPairs = [] {
    std::array<char, 200> pairs{};
    for (int i = 0; i < 100; ++i) {
        pairs[2 * i] = static_cast<char>('0' + i / 10);
        pairs[2 * i + 1] = static_cast<char>('0' + i % 10);
    }
    return pairs;
}();

// 0 to 999 as text: the digits in the first bytes of each entry (in memory
// order) and their count in the last, so that one 4-byte store writes any of
// them and the count moves the cursor, with no branch on the length.
inline constexpr std::array<std::uint32_t, 1000> kSmallNumbers = [] {
    std::array<std::uint32_t, 1000> numbers{};
    for (std::uint32_t n = 0; n < 1000; ++n) {
        const std::uint32_t count = n < 10 ? 1 : n < 100 ? 2 : 3;
        std::uint32_t entry = count << 24;
        std::uint32_t rest = n;
        for (std::uint32_t i = count; i-- > 0; rest /= 10) entry |= ('0' + rest % 10) << (8 * i);
        numbers[n] = entry;
    }
    return numbers;
}();

}  // namespace detail

// Appends to one growable buffer through a raw pointer: the string is kept
// sized to its capacity while writing and cut to the written length at the
// end (also when an allocation fails part way).
//
// The cursor is passed to each step and returned from it rather than kept in
// the writer: a cursor in memory is stored and reloaded at every byte put,
// and each reload waits for the store before it.
class TextWriter {
public:
    // `first_room`: bytes to make room for at once, when the caller can tell
    // about how long the text will be (each doubling copies what was written).
    explicit TextWriter(std::string& out, std::size_t first_room = 0) : out_(out), written_(out.size()) {
        if (first_room != 0) out_.resize(written_ + first_room);
        limit_ = out_.data() + out_.size();
    }
    TextWriter(const TextWriter&) = delete;
    TextWriter& operator=(const TextWriter&) = delete;
    ~TextWriter() { out_.resize(written_); }

    char* start() noexcept { return out_.data() + written_; }
    void finish(char* p) noexcept { written_ = static_cast<std::size_t>(p - out_.data()); }

    // Room for at least n more bytes at p; returns where they go.
    char* room(char* p, std::size_t n) {
        if (static_cast<std::size_t>(limit_ - p) < n) p = grow(p, n);
        return p;
    }

    char* put(char* p, char c) {
        p = room(p, 1);
        *p = c;
        return p + 1;
    }
    char* put(char* p, const char* bytes, std::size_t n) {
        p = room(p, n);
        std::memcpy(p, bytes, n);
        return p + n;
    }

    // Room for any scalar: a float's working room is the most any needs.
    static constexpr std::size_t kScalarRoom = json_float_room;

    // Chart values are mostly rounded to a few decimals. A float that is
    // exactly the double nearest to k / 10^4 for an integer k below 10^15 has
    // those digits as its shortest round-trip digits (two decimals of at most
    // 15 significant digits never round to the same double), so it is spelled
    // from k; other floats take the general search.
    static char* float_text(double x, char* p) noexcept {
        const double magnitude = std::fabs(x);
        const double scaled = magnitude * 1e4;
        if (!(scaled < 1e15)) return format_json_float(x, p);
        const auto k = static_cast<std::uint64_t>(scaled + 0.5);
        if (k == 0 || !is_nearest_to_ten_thousandths(magnitude, k)) return format_json_float(x, p);
        return fraction_text<4>(std::signbit(x), k, p);
    }

    // Whether x, at least 5e-5 and below 1e11, is the double nearest to
    // k / 10^4, for k below 10^15. Exactly the test RN(k / 1e4) == x, in
    // integers (a division per float was a quarter of writing chart data):
    // with x = M * 2^-s, x is nearest iff |M * 10^4 - k * 2^s| < 5000, or
    // 2500 when k / 10^4 lies below an x that is a power of two (the spacing
    // halves there). Ties cannot occur: s >= 16, so k * 2^s has more factors
    // of two than 5000 * (2M + 1) or 2500 * (4M - 1).
    static bool is_nearest_to_ten_thousandths(double x, std::uint64_t k) noexcept {
#if defined(__SIZEOF_INT128__)
        const auto bits = std::bit_cast<std::uint64_t>(x);
        const std::uint64_t fraction_bits = bits & ((std::uint64_t{1} << 52) - 1);
        const unsigned shift = 1075 - static_cast<unsigned>(bits >> 52);  // 16 to 67 in this range
        const unsigned __int128 scaled = static_cast<unsigned __int128>(fraction_bits | (std::uint64_t{1} << 52)) * 10000;
        const unsigned __int128 target = static_cast<unsigned __int128>(k) << shift;
        // -5000 < scaled - target < 5000 (or 2500), without a branch on the
        // sign, which is random: modulo 2^128 the window starts at 0.
        return scaled - target + 4999 < (fraction_bits == 0 ? 7499u : 9999u);
#else
        return static_cast<double>(k) / 1e4 == x;
#endif
    }

    // digits / 10^width (hundredths or ten-thousandths, digits below 10^15),
    // "-" first when `negative`, in the float form: the whole part, the point
    // and the fraction digits without their trailing zeros (one stays), as
    // format_json_float lays out a number below 10^16. Right when those are
    // the shortest digits of the double meant, which its callers know: the
    // finalizers' hundredths, the few-decimal floats the reader keeps and
    // float_text's. Inline, as those are most numbers of a document and a
    // call per number cost a sixth of writing one.
    template <unsigned width>
        requires(width == 2 || width == 4)
    static char* fraction_text(bool negative, std::uint64_t digits, char* p) noexcept {
        constexpr std::uint32_t scale = width == 2 ? 100 : 10000;
        const auto fraction = static_cast<std::uint32_t>(digits % scale);
        *p = '-';
        p = unsigned_text(digits / scale, p + negative);
        *p = '.';
        // The fraction digits in pairs.
        std::memcpy(p + width - 1, &detail::kDigitPairs[2 * (fraction % 100)], 2);
        if constexpr (width == 4) std::memcpy(p + 1, &detail::kDigitPairs[2 * (fraction / 100)], 2);
        unsigned kept = width;
        while (kept > 1 && p[kept] == '0') --kept;
        return p + 1 + kept;
    }

    // Small counts and indexes are most of the integers of a document: below
    // a million they are spelled from the tables. (`p` has room for at least
    // 20 bytes.)
    static char* unsigned_text(std::uint64_t u, char* p) noexcept {
        if (u < 1000) {
            const std::uint32_t entry = detail::kSmallNumbers[u];
            std::memcpy(p, &entry, sizeof entry);
            return p + (entry >> 24);
        }
        if (u < 1'000'000) {
            const auto high = static_cast<std::uint32_t>(u / 1000);
            const auto low = static_cast<std::uint32_t>(u % 1000);
            const std::uint32_t entry = detail::kSmallNumbers[high];
            std::memcpy(p, &entry, sizeof entry);
            p += entry >> 24;
            std::memcpy(p, &detail::kDigitPairs[2 * (low / 10)], 2);
            p[2] = static_cast<char>('0' + low % 10);
            return p + 3;
        }
        return std::to_chars(p, p + 20, u).ptr;
    }
    static char* signed_text(std::int64_t i, char* p) noexcept {
        if (i >= 0) return unsigned_text(static_cast<std::uint64_t>(i), p);
        *p = '-';
        return unsigned_text(0 - static_cast<std::uint64_t>(i), p + 1);
    }
    static char* bool_text(bool b, char* p) noexcept {
        if (b) {
            std::memcpy(p, "true", 4);
            return p + 4;
        }
        std::memcpy(p, "false", 5);
        return p + 5;
    }
    static char* null_text(char* p) noexcept {
        std::memcpy(p, "null", 4);
        return p + 4;
    }

    // Bytes that need no escape are copied straight into room reserved for
    // the whole string; only an escape takes the slow path.
    char* string(std::string_view text, char* p) {
        const char* s = text.data();
        const char* const end = s + text.size();
        p = room(p, text.size() + 2);
        *p++ = '"';
        for (;;) {
            // Copy while scanning: blocks of 16 go whole, the last few bytes one by one.
#if defined(__SSE2__)
            while (end - s >= 16) {
                const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(p), bytes);
                const unsigned mask = string_stop_mask(bytes);
                if (mask != 0) {
                    s += std::countr_zero(mask);
                    p += std::countr_zero(mask);
                    break;
                }
                s += 16;
                p += 16;
            }
#endif
            while (s != end && !kStringStopBytes[static_cast<unsigned char>(*s)]) *p++ = *s++;
            if (s == end) break;
            char escaped[6];
            p = put(p, escaped, detail::escape_text(static_cast<unsigned char>(*s++), escaped));
            p = room(p, static_cast<std::size_t>(end - s) + 1);
        }
        *p++ = '"';
        return p;
    }

private:
    // Out of line: taken once per doubling of the text.
    [[gnu::noinline]] char* grow(char* p, std::size_t n) {
        // Recorded first: if the allocation fails, the destructor keeps what
        // was written so far.
        finish(p);
        std::size_t size = out_.size() * 2;
        if (size < 128) size = 128;
        if (size < written_ + n) size = written_ + n;
        out_.resize(size);
        limit_ = out_.data() + out_.size();
        return out_.data() + written_;
    }

    std::string& out_;
    std::size_t written_;  // up to the last grow or finish
    char* limit_;
};


}  // namespace tessel::json
