#include "json/number_text.hpp"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "json/powers_of_ten.hpp"
#include "json/text_writer.hpp"  // the digit pairs and integer text

namespace tessel::json {

namespace {

// x = significand × 2^exponent exactly, significand below 2^53.
struct Binary {
    std::uint64_t significand;
    int exponent;
};

Binary decompose(double magnitude) noexcept {
    const auto bits = std::bit_cast<std::uint64_t>(magnitude);
    const auto biased = static_cast<int>((bits >> 52) & 0x7FF);
    const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
    if (biased == 0) return {fraction, -1074};  // subnormal
    return {fraction | (std::uint64_t{1} << 52), biased - 1075};
}

// Writes `digits`, the decimal digits of the magnitude times 10^precision
// rounded to an integer, with a point before the last `precision` of them.
char* write_scaled(std::string_view digits, unsigned precision, char* p) noexcept {
    if (digits.size() <= precision) {
        *p++ = '0';
        if (precision > 0) {
            *p++ = '.';
            p = std::fill_n(p, precision - digits.size(), '0');
            p = std::copy(digits.begin(), digits.end(), p);
        }
        return p;
    }
    const std::size_t whole = digits.size() - precision;
    p = std::copy_n(digits.data(), whole, p);
    if (precision > 0) {
        *p++ = '.';
        p = std::copy_n(digits.data() + whole, precision, p);
    }
    return p;
}

// The quick path, for the precisions of pixel coordinates (2) and colour
// levels (0): the magnitude times 10^Precision, rounded once in doubles, lies
// within half an ulp of the exact product. Unless its fraction is within that
// distance of one half, rounding it to an integer gives the rounded exact
// value; near and exact ties are left to the other paths. Below 2^52 its
// integral part and fraction are exact. Returns null when it does not apply.
template <unsigned Precision>
char* rounded_fixed_text(double magnitude, char* p) noexcept {
    constexpr std::uint64_t scale = detail::kPowersOfTenU64[Precision];
    const double scaled = magnitude * static_cast<double>(scale);
    if (!(scaled < 0x1p52)) return nullptr;
    auto rounded = static_cast<std::uint64_t>(scaled);
    const double fraction = scaled - static_cast<double>(rounded);
    if (std::fabs(fraction - 0.5) <= scaled * 0x1p-52) return nullptr;  // at least half an ulp
    if (fraction > 0.5) ++rounded;
    p = TextWriter::unsigned_text(rounded / scale, p);
    if constexpr (Precision == 2) {
        *p = '.';
        std::memcpy(p + 1, &detail::kDigitPairs[2 * (rounded % 100)], 2);
        p += 3;
    }
    return p;
}

char* rounded_fixed_text(double magnitude, unsigned precision, char* p) noexcept {
    if (precision == 2) return rounded_fixed_text<2>(magnitude, p);
    if (precision == 0) return rounded_fixed_text<0>(magnitude, p);
    return nullptr;
}

// The exact path for magnitudes below 2^52 (a negative binary exponent) and
// precisions up to 19: significand × 10^precision fits in 128 bits, and the
// division by the power of two is a shift with an exactly known remainder.
// Returns null when it does not apply.
char* fixed_text_128(const Binary& b, unsigned precision, char* p) noexcept {
    if (precision > 19 || b.exponent >= 0) return nullptr;
    const unsigned __int128 product =
        static_cast<unsigned __int128>(b.significand) * detail::kPowersOfTenU64[precision];
    const int shift = -b.exponent;
    std::uint64_t rounded;
    if (shift >= 128) {
        rounded = 0;  // product < 2^117 < half of 2^shift
    } else {
        const unsigned __int128 quotient = product >> shift;
        const unsigned __int128 remainder = product - (quotient << shift);
        const unsigned __int128 half = static_cast<unsigned __int128>(1) << (shift - 1);
        if (quotient >> 64 != 0) return nullptr;
        rounded = static_cast<std::uint64_t>(quotient);
        if (remainder > half || (remainder == half && (rounded & 1) != 0)) ++rounded;
        if (rounded == 0 && quotient != 0) return nullptr;  // wrapped past 2^64
    }
    char digits[20];
    const char* const end = std::to_chars(digits, digits + sizeof digits, rounded).ptr;
    return write_scaled(std::string_view(digits, static_cast<std::size_t>(end - digits)), precision, p);
}

// Unsigned integer of any size, 32-bit limbs, least significant first.
class BigUnsigned {
public:
    explicit BigUnsigned(std::uint64_t value) {
        while (value != 0) {
            limbs_.push_back(static_cast<std::uint32_t>(value));
            value >>= 32;
        }
    }

    void multiply(std::uint32_t factor) {
        std::uint64_t carry = 0;
        for (std::uint32_t& limb : limbs_) {
            const std::uint64_t product = static_cast<std::uint64_t>(limb) * factor + carry;
            limb = static_cast<std::uint32_t>(product);
            carry = product >> 32;
        }
        if (carry != 0) limbs_.push_back(static_cast<std::uint32_t>(carry));
    }

    void multiply_by_power_of_ten(unsigned power) {
        for (; power >= 9; power -= 9) multiply(1000000000u);
        multiply(static_cast<std::uint32_t>(detail::kPowersOfTenU64[power]));
    }

    void shift_left(std::size_t bits) {
        const std::size_t whole = bits / 32;
        const unsigned part = bits % 32;
        if (part != 0) {
            std::uint32_t carry = 0;
            for (std::uint32_t& limb : limbs_) {
                const std::uint32_t next = limb >> (32 - part);
                limb = (limb << part) | carry;
                carry = next;
            }
            if (carry != 0) limbs_.push_back(carry);
        }
        limbs_.insert(limbs_.begin(), whole, 0u);
    }

    void shift_right(std::size_t bits) {
        const std::size_t whole = bits / 32;
        const unsigned part = bits % 32;
        if (whole >= limbs_.size()) {
            limbs_.clear();
            return;
        }
        limbs_.erase(limbs_.begin(), limbs_.begin() + static_cast<std::ptrdiff_t>(whole));
        if (part != 0) {
            for (std::size_t i = 0; i < limbs_.size(); ++i) {
                const std::uint32_t high = i + 1 < limbs_.size() ? limbs_[i + 1] << (32 - part) : 0;
                limbs_[i] = (limbs_[i] >> part) | high;
            }
        }
        trim();
    }

    bool bit(std::size_t i) const noexcept {
        return i / 32 < limbs_.size() && ((limbs_[i / 32] >> (i % 32)) & 1) != 0;
    }

    // Whether any bit below position i is set.
    bool any_below(std::size_t i) const noexcept {
        for (std::size_t limb = 0; limb < limbs_.size() && limb * 32 < i; ++limb) {
            const std::size_t bits = i - limb * 32;
            const std::uint32_t mask = bits >= 32 ? ~0u : ((1u << bits) - 1);
            if ((limbs_[limb] & mask) != 0) return true;
        }
        return false;
    }

    void add_one() {
        for (std::uint32_t& limb : limbs_) {
            if (++limb != 0) return;
        }
        limbs_.push_back(1);
    }

    bool odd() const noexcept { return !limbs_.empty() && (limbs_[0] & 1) != 0; }

    std::string decimal() const {
        std::vector<std::uint32_t> rest = limbs_;
        std::vector<std::uint32_t> chunks;  // base 10^9, least significant first
        while (!rest.empty()) {
            std::uint64_t remainder = 0;
            for (std::size_t i = rest.size(); i-- > 0;) {
                const std::uint64_t current = (remainder << 32) | rest[i];
                rest[i] = static_cast<std::uint32_t>(current / 1000000000u);
                remainder = current % 1000000000u;
            }
            chunks.push_back(static_cast<std::uint32_t>(remainder));
            while (!rest.empty() && rest.back() == 0) rest.pop_back();
        }
        if (chunks.empty()) return "0";
        std::string text = std::to_string(chunks.back());
        for (std::size_t i = chunks.size() - 1; i-- > 0;) {
            const std::string chunk = std::to_string(chunks[i]);
            text.append(9 - chunk.size(), '0');
            text += chunk;
        }
        return text;
    }

private:
    void trim() {
        while (!limbs_.empty() && limbs_.back() == 0) limbs_.pop_back();
    }

    std::vector<std::uint32_t> limbs_;
};

// The exact path for every finite double and precision.
char* fixed_text_exact(const Binary& b, unsigned precision, char* p) {
    BigUnsigned scaled(b.significand);
    scaled.multiply_by_power_of_ten(precision);
    if (b.exponent >= 0) {
        scaled.shift_left(static_cast<std::size_t>(b.exponent));
    } else {
        const auto shift = static_cast<std::size_t>(-b.exponent);
        const bool half_bit = scaled.bit(shift - 1);
        const bool below_half = scaled.any_below(shift - 1);
        scaled.shift_right(shift);
        if (half_bit && (below_half || scaled.odd())) scaled.add_one();
    }
    return write_scaled(scaled.decimal(), precision, p);
}

}  // namespace

char* fixed_text(double x, unsigned precision, char* p) {
    const double magnitude = std::fabs(x);
    // The quick path first: it declines NaN and the infinities.
    *p = '-';
    if (char* end = rounded_fixed_text(magnitude, precision, p + std::signbit(x))) return end;
    if (std::isnan(x)) return std::copy_n("NaN", 3, p);
    if (std::signbit(x)) *p++ = '-';
    if (std::isinf(x)) return std::copy_n("inf", 3, p);
    const Binary b = decompose(magnitude);
    // The 128-bit path takes the ties and the other usual magnitudes and precisions.
    if (char* end = fixed_text_128(b, precision, p)) return end;
    return fixed_text_exact(b, precision, p);
}

}  // namespace tessel::json
