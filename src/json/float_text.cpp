#include "json/float_text.hpp"

#include "json/powers_of_ten.hpp"
#include "json/text_writer.hpp"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tessel::json {

namespace {

using detail::kPowersOfTen;
using detail::kPowersOfTenU64;

__extension__ using u128 = unsigned __int128;

// ---------------------------------------------------------------------------
// Powers of ten as 128-bit significands: for m in [min_pow10, max_pow10],
// g(m) = floor(10^m * 2^(127 - floor(log2(10^m)))) + 1, so that
// 2^127 < g(m) <= 2^128 - 1 and g(m) exceeds the exact scaled power. These m
// are the -k of every finite double's decimal exponent k below.

constexpr int min_pow10 = -292;
constexpr int max_pow10 = 324;

struct Significand128 {
    std::uint64_t hi;
    std::uint64_t lo;
};

// Unsigned integers of up to 18 words (1152 bits), enough for 10^324 and for
// 2^(127 + bit length of 10^292); only what the table needs.
struct BigNumber {
    static constexpr int words = 18;
    std::array<std::uint64_t, words> w{};  // least significant first

    constexpr int bit_length() const {
        for (int i = words - 1; i >= 0; --i) {
            if (w[i] != 0) return 64 * i + 64 - std::countl_zero(w[i]);
        }
        return 0;
    }
    constexpr void multiply_by_10() {
        std::uint64_t carry = 0;
        for (auto& word : w) {
            const u128 p = static_cast<u128>(word) * 10 + carry;
            word = static_cast<std::uint64_t>(p);
            carry = static_cast<std::uint64_t>(p >> 64);
        }
    }
    constexpr void divide_by_10() {  // floor
        u128 remainder = 0;
        for (int i = words - 1; i >= 0; --i) {
            const u128 current = (remainder << 64) | w[i];
            w[i] = static_cast<std::uint64_t>(current / 10);
            remainder = current % 10;
        }
    }
    // floor(this * 2^shift) taken as 128 bits; the caller knows it fits.
    constexpr u128 scaled_128(int shift) const {
        if (shift >= 0) return ((static_cast<u128>(w[1]) << 64) | w[0]) << shift;
        const int word = -shift / 64;
        const int bit = -shift % 64;
        auto at = [&](int i) { return i < words ? w[i] : std::uint64_t{0}; };
        auto shifted = [&](int i) { return bit == 0 ? at(i) : (at(i) >> bit) | (at(i + 1) << (64 - bit)); };
        return (static_cast<u128>(shifted(word + 1)) << 64) | shifted(word);
    }
};

constexpr int floor_log2_pow10(int m) { return (m * 1741647) >> 19; }

constexpr std::array<Significand128, max_pow10 - min_pow10 + 1> make_pow10_table() {
    std::array<Significand128, max_pow10 - min_pow10 + 1> table{};
    auto store = [&](int m, u128 floor_scaled) {
        const u128 g = floor_scaled + 1;
        table[m - min_pow10] = {static_cast<std::uint64_t>(g >> 64), static_cast<std::uint64_t>(g)};
    };
    // 10^m for m >= 0, exactly.
    BigNumber power;
    power.w[0] = 1;
    for (int m = 0; m <= max_pow10; ++m) {
        const int floor_log2 = power.bit_length() - 1;
        if (floor_log2 != floor_log2_pow10(m)) throw "floor_log2_pow10 is wrong";
        store(m, power.scaled_128(127 - floor_log2));
        power.multiply_by_10();
    }
    // For m = -j: floor(2^(127 + L) / 10^j) with L the bit length of 10^j
    // (10^j is no power of two, so floor(log2(10^-j)) = -L). It is taken from
    // floor(2^top / 10^j), which repeated division by 10 gives exactly.
    constexpr int top = 127 + 971;  // 971: the bit length of 10^292
    BigNumber quotient;
    quotient.w[top / 64] = std::uint64_t{1} << (top % 64);
    BigNumber divisor;
    divisor.w[0] = 1;
    for (int j = 1; j <= -min_pow10; ++j) {
        quotient.divide_by_10();
        divisor.multiply_by_10();
        const int length = divisor.bit_length();
        if (-length != floor_log2_pow10(-j)) throw "floor_log2_pow10 is wrong";
        store(-j, quotient.scaled_128(-(top - 127 - length)));
    }
    return table;
}

constexpr auto pow10_table = make_pow10_table();

// ---------------------------------------------------------------------------
// Shortest digits: the candidates are the multiples of 10^(k+1) and of 10^k
// next to x, with 10^k at most the width of the interval of reals that read
// back as x. The value and the bounds of that interval are scaled by 10^-k
// with a 128-bit approximation of that power; rounding the products to odd
// keeps every comparison below exact.

constexpr int floor_log10_pow2(int e) { return (e * 1262611) >> 22; }
constexpr int floor_log10_three_quarters_pow2(int e) { return (e * 1262611 - 524031) >> 22; }

// floor(g * factor / 2^128) rounded to odd: the lowest bit is set when any
// of the bits below it is. The product is exact (192 bits) before rounding.
std::uint64_t scaled_to_odd(Significand128 g, std::uint64_t factor) noexcept {
    const u128 low = static_cast<u128>(g.lo) * factor;
    const u128 high = static_cast<u128>(g.hi) * factor;
    const u128 middle = static_cast<u128>(static_cast<std::uint64_t>(high)) + static_cast<std::uint64_t>(low >> 64);
    const std::uint64_t top = static_cast<std::uint64_t>(high >> 64) + static_cast<std::uint64_t>(middle >> 64);
    return top | (static_cast<std::uint64_t>(middle) > 1 ? 1 : 0);
}

// The count of decimal digits of 0 < v < 10^17.
int decimal_length(std::uint64_t v) noexcept {
    // 1233 / 4096 is just below log10(2): t is floor(log10(v)) or one more.
    const int t = ((64 - std::countl_zero(v)) * 1233) >> 12;
    return t + 1 - (v < kPowersOfTenU64[t] ? 1 : 0);
}

// x = digits * 10^exponent, digits below 10^17 with possibly trailing zeros.
struct ShortestDecimal {
    std::uint64_t digits;
    int exponent;
    int length;  // decimal digits of `digits`, from the range each search gives
};

// The count of decimal digits of v, known to have `fewest` to fewest + 2.
template <int fewest>
int length_from(std::uint64_t v) noexcept {
    return fewest + (v >= kPowersOfTenU64[fewest] ? 1 : 0) + (v >= kPowersOfTenU64[fewest + 1] ? 1 : 0);
}

// The shortest digits that read back as the positive finite double of these
// bits (the nearest of them when several have that length, the even one on
// a tie).
ShortestDecimal shortest_with_trailing_zeros(std::uint64_t bits) noexcept {
    const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
    const int biased_exponent = static_cast<int>((bits >> 52) & 0x7FF);
    std::uint64_t c;
    int q;
    if (biased_exponent != 0) {
        c = fraction | (std::uint64_t{1} << 52);
        q = biased_exponent - 1075;
        // Integers below 2^53 are their own shortest digits.
        if (-52 <= q && q <= 0 && (c & ((std::uint64_t{1} << -q) - 1)) == 0) {
            return {c >> -q, 0, decimal_length(c >> -q)};
        }
    } else {
        c = fraction;
        q = -1074;
    }
    const bool bounds_included = c % 2 == 0;
    // At a power of two the double below is twice as close.
    const bool lower_closer = fraction == 0 && biased_exponent > 1;
    const int k = lower_closer ? floor_log10_three_quarters_pow2(q) : floor_log10_pow2(q);
    const int h = q + floor_log2_pow10(-k) + 1;  // 1 to 4
    const Significand128 g = pow10_table[-k - min_pow10];
    // The value is 4c and the bounds are 4c - 2 (4c - 1 when the lower
    // neighbour is closer) and 4c + 2, each shifted by h; below 2^59.
    const std::uint64_t vbl = scaled_to_odd(g, (4 * c - (lower_closer ? 1 : 2)) << h);
    const std::uint64_t vb = scaled_to_odd(g, (4 * c) << h);
    const std::uint64_t vbr = scaled_to_odd(g, (4 * c + 2) << h);
    const std::uint64_t lower = vbl + (bounds_included ? 0 : 1);
    const std::uint64_t upper = vbr - (bounds_included ? 0 : 1);

    // Selected with bit operations, not branches: which case applies is
    // close to random from one number to the next.
    const std::uint64_t s = vb / 4;
    // At most one multiple of 10^(k+1) fits in the interval.
    const std::uint64_t sp = s / 10;
    const unsigned shorter_below = lower <= 40 * sp;
    const unsigned shorter_above = 40 * sp + 40 <= upper;
    const unsigned shorter = (s >= 10) & (shorter_below ^ shorter_above);
    // Otherwise the multiple of 10^k below or above; the nearer one (the even
    // one on a tie) when both fit.
    const unsigned below_inside = lower <= 4 * s;
    const unsigned above_inside = 4 * s + 4 <= upper;
    const std::uint64_t mid = 4 * s + 2;
    const unsigned nearer_above = (vb > mid) | ((vb == mid) & static_cast<unsigned>(s & 1));
    const unsigned one_inside = below_inside ^ above_inside;
    const unsigned above = (one_inside & above_inside) | (~one_inside & 1 & nearer_above);
    const std::uint64_t mask = 0 - static_cast<std::uint64_t>(shorter);
    const std::uint64_t digits = ((sp + shorter_above) & mask) | ((s + above) & ~mask);
    // For normal doubles s is in [2^52, 10 * 2^53), so the digits number
    // 15 to 17; subnormals have fewer.
    const int length = biased_exponent != 0 ? length_from<15>(digits) : decimal_length(digits);
    return {digits, k + static_cast<int>(shorter), length};
}

// The shortest digits of the positive double x (of these bits) when some
// decimal of at most 15 significant digits reads back as x: data often holds
// such values (fractions like j/1000, measurements with few decimals), and
// finding them takes a multiplication and a check by division instead of the
// search above. False when there is none, or x is outside [1e-9, 1e14).
//
// Two different decimals of at most 15 digits never read back as the same
// normal double: they are at least 10^(j-14) apart near 10^j, more than four
// times the spacing of doubles there (10^15 < 2^52 / 4). So such a decimal
// is the only one of its length or shorter that reads back as x, which makes
// it the shortest.
bool short_decimal(double x, std::uint64_t bits, ShortestDecimal& out) noexcept {
    const int e2 = static_cast<int>(bits >> 52) - 1023;  // 2^e2 <= x < 2^(e2+1)
    // 10^k <= x < 10^(k+2), so scaled lies in [10^13, 10^15).
    const int d = 13 - floor_log10_pow2(e2);
    if (d < 0 || d > 22) return false;  // 10^22 is the last power of ten a double holds exactly
    const double scaled = x * kPowersOfTen[d];
    // Within 0.2 of the scaled decimal when one reads back as x: x is within
    // half a spacing of it (at most 0.12 once scaled) and the product rounds
    // by at most 1/16. Adding 0.5 is exact below 2^50.
    // (Signed conversions: the unsigned ones cost extra instructions.)
    const auto digits = static_cast<std::int64_t>(scaled + 0.5);
    // Both operands are exact, and division rounds as reading a decimal does.
    if (static_cast<double>(digits) / kPowersOfTen[d] != x) return false;
    // scaled is at least 10^13, and rounding may carry it up to 10^15.
    out = {static_cast<std::uint64_t>(digits), -d, length_from<14>(static_cast<std::uint64_t>(digits))};
    return true;
}

void write_pair(std::uint32_t v, char* out) noexcept { std::memcpy(out, &detail::kDigitPairs[2 * v], 2); }

// Sixteen decimal digits in text order, as they are stored: the 8 digits of
// `high` then the 8 of `low` (both below 10^8, leading zeros included). Each
// step splits every lane into quotient and remainder at once (by 10^4, then
// 100, then 10) with multiply-and-shift divisions that are exact in these
// ranges.
#if defined(__SSE2__)
// Sixteen lanes of one byte: the vector unit does each step for all lanes.
struct DigitBlock {
    __m128i bytes;  // digit values 0 to 9
};

DigitBlock sixteen_digits(std::uint32_t high, std::uint32_t low) noexcept {
    const __m128i eights = _mm_set_epi64x(low, high);
    const __m128i q4 = _mm_srli_epi64(_mm_mul_epu32(eights, _mm_set1_epi64x(109951163)), 40);
    const __m128i r4 = _mm_sub_epi64(eights, _mm_mul_epu32(q4, _mm_set1_epi64x(10000)));
    const __m128i fours = _mm_or_si128(q4, _mm_slli_epi64(r4, 32));
    const __m128i q2 = _mm_srli_epi16(_mm_mulhi_epu16(fours, _mm_set1_epi32(5243)), 3);
    const __m128i r2 = _mm_sub_epi16(fours, _mm_mullo_epi16(q2, _mm_set1_epi16(100)));
    const __m128i twos = _mm_or_si128(q2, _mm_slli_epi32(r2, 16));
    const __m128i q1 = _mm_mulhi_epu16(twos, _mm_set1_epi16(6554));
    const __m128i r1 = _mm_sub_epi16(twos, _mm_mullo_epi16(q1, _mm_set1_epi16(10)));
    return {_mm_or_si128(q1, _mm_slli_epi16(r1, 8))};
}

// The digits up to the last nonzero one (0 when all are zero).
int significant_digits(DigitBlock d) noexcept {
    const auto nonzero = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(d.bytes, _mm_setzero_si128())) ^ 0xFFFF);
    // The index of the highest set bit of 2 * nonzero + 1: never zero, so
    // no branch for the all-zero case.
    return 31 - __builtin_clz(2 * nonzero + 1);
}

void store_text(char* out, DigitBlock d) noexcept {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_add_epi8(d.bytes, _mm_set1_epi8('0')));
}

// Stores the digits at out[1..17] with a point after the first `point` of
// them (0 to 15): out[1 + point] = '.'. Without branches, as the position of
// the point varies from one number to the next.
void store_text_with_point(char* out, DigitBlock d, int point) noexcept {
    const __m128i text = _mm_add_epi8(d.bytes, _mm_set1_epi8('0'));
    const __m128i position = _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    const __m128i at = _mm_set1_epi8(static_cast<char>(point));
    const __m128i before = _mm_cmpgt_epi8(at, position);
    const __m128i dot = _mm_cmpeq_epi8(at, position);
    const __m128i after = _mm_andnot_si128(_mm_or_si128(before, dot), _mm_slli_si128(text, 1));
    const __m128i placed = _mm_or_si128(_mm_or_si128(_mm_and_si128(before, text), after),
                                        _mm_and_si128(dot, _mm_set1_epi8('.')));
    // The last digit moves to out[17]; the second store covers the rest.
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2), text);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 1), placed);
}
#else
// Two 64-bit words of eight byte lanes each.
struct DigitBlock {
    u128 bytes;  // digit values 0 to 9, in text order when stored
};

std::uint64_t eight_digits(std::uint32_t v) noexcept {
    const std::uint64_t x = v;
    const std::uint64_t fours = x + (0x100000000 - 10000) * ((x * 109951163) >> 40);
    const std::uint64_t twos = fours + (0x10000 - 100) * (((fours * 10486) >> 20) & 0x7F0000007F);
    const std::uint64_t ones = twos + (0x100 - 10) * (((twos * 103) >> 10) & 0xF000F000F000F);
    // The most significant digit is now in the highest byte.
    if constexpr (std::endian::native == std::endian::little) return __builtin_bswap64(ones);
    return ones;
}

DigitBlock sixteen_digits(std::uint32_t high, std::uint32_t low) noexcept {
    const std::uint64_t first = eight_digits(high);
    const std::uint64_t next = eight_digits(low);
    if constexpr (std::endian::native == std::endian::little) return {(static_cast<u128>(next) << 64) | first};
    return {(static_cast<u128>(first) << 64) | next};
}

int significant_digits(DigitBlock d) noexcept {
    if constexpr (std::endian::native == std::endian::little) {
        const auto high = static_cast<std::uint64_t>(d.bytes >> 64);
        return high != 0 ? 16 - std::countl_zero(high) / 8 : 8 - std::countl_zero(static_cast<std::uint64_t>(d.bytes)) / 8;
    }
    const auto low = static_cast<std::uint64_t>(d.bytes);
    return low != 0 ? 16 - std::countr_zero(low) / 8 : 8 - std::countr_zero(static_cast<std::uint64_t>(d.bytes >> 64)) / 8;
}

constexpr u128 ascii_zeros = (static_cast<u128>(0x3030303030303030) << 64) | 0x3030303030303030;

void store_text(char* out, DigitBlock d) noexcept {
    const u128 text = d.bytes + ascii_zeros;
    std::memcpy(out, &text, 16);
}

void store_text_with_point(char* out, DigitBlock d, int point) noexcept {
    const u128 text = d.bytes + ascii_zeros;
    const int bits = 8 * point;
    const u128 tail = std::endian::native == std::endian::little ? text >> bits : text << bits;
    std::memcpy(out + 1, &text, 16);
    out[1 + point] = '.';
    std::memcpy(out + 2 + point, &tail, 16);
}
#endif

// The significant digits of a decimal.
struct Spelled {
    char lead;        // the first digit
    DigitBlock rest;  // the 16 digits after it, zeros after the last significant one
    int length;       // significant digits, trailing zeros excluded
    int exponent;     // power of ten of the first digit
};

// For 0 < d.digits < 10^17. The digits are first scaled to exactly 17, so
// the lead is always in the same place.
Spelled spell(ShortestDecimal d) noexcept {
    const std::uint64_t scaled = d.digits * kPowersOfTenU64[17 - d.length];
    const std::uint64_t lead = scaled / 10000000000000000;
    const std::uint64_t top = scaled / 100000000;
    const DigitBlock rest = sixteen_digits(static_cast<std::uint32_t>(top - lead * 100000000),
                                           static_cast<std::uint32_t>(scaled - top * 100000000));
    return {static_cast<char>('0' + lead), rest, 1 + significant_digits(rest), d.exponent + d.length - 1};
}

// The float form of d (positive), at `out`.
char* write_float_form(ShortestDecimal d, char* out) noexcept {
    const Spelled digits = spell(d);
    const int n = digits.length;
    const int e = digits.exponent;

    if (static_cast<unsigned>(e) <= 15) {
        // The point after e + 1 digits; a whole number ends in ".0", which
        // the digits' own trailing zeros give (17 of them cover e <= 15).
        out[0] = digits.lead;
        store_text_with_point(out, digits.rest, e);
        return out + (n > e + 2 ? n : e + 2) + 1;
    }
    if (e < 0 && e >= -5) {  // "0.", -e - 1 zeros, the digits
        std::memcpy(out, "0.0000", 6);
        out[1 - e] = digits.lead;
        store_text(out + 2 - e, digits.rest);
        return out + 1 - e + n;
    }
    out[0] = digits.lead;
    out[1] = '.';
    store_text(out + 2, digits.rest);
    out += n > 1 ? n + 1 : 1;
    *out++ = 'e';
    *out++ = e < 0 ? '-' : '+';
    const auto magnitude = static_cast<std::uint32_t>(e < 0 ? -e : e);  // 6 to 324
    if (magnitude >= 100) {
        *out++ = static_cast<char>('0' + magnitude / 100);
        write_pair(magnitude % 100, out);
        return out + 2;
    }
    if (magnitude >= 10) {
        write_pair(magnitude, out);
        return out + 2;
    }
    *out = static_cast<char>('0' + magnitude);
    return out + 1;
}

}  // namespace

char* format_json_float(double x, char* out) noexcept {
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(x);
    const std::uint64_t magnitude_bits = bits & ~(std::uint64_t{1} << 63);
    // One test for both rare cases: zero wraps around to the top.
    if (magnitude_bits - 1 >= 0x7FF0000000000000 - 1) {
        if (magnitude_bits != 0) {
            std::memcpy(out, "null", 4);
            return out + 4;
        }
        *out = '-';
        out += bits >> 63;
        std::memcpy(out, "0.0", 3);
        return out + 3;
    }
    *out = '-';
    out += bits >> 63;
    ShortestDecimal d;
    if (!short_decimal(std::bit_cast<double>(magnitude_bits), magnitude_bits, d)) {
        d = shortest_with_trailing_zeros(magnitude_bits);
    }
    return write_float_form(d, out);
}

}  // namespace tessel::json
