#include "json/number_text.hpp"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <vector>

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

// 10^0 ... 10^19.
constexpr auto kPow10 = [] {
    std::array<std::uint64_t, 20> powers{};
    std::uint64_t power = 1;
    for (std::uint64_t& p : powers) {
        p = power;
        power *= 10;  // wraps harmlessly after the last one
    }
    return powers;
}();

// Appends `digits`, the decimal digits of the magnitude times 10^precision
// rounded to an integer, with a point before the last `precision` of them.
void append_scaled(std::string_view digits, unsigned precision, std::string& out) {
    if (digits.size() <= precision) {
        out += '0';
        if (precision > 0) {
            out += '.';
            out.append(precision - digits.size(), '0');
            out += digits;
        }
        return;
    }
    const std::size_t whole = digits.size() - precision;
    out.append(digits.data(), whole);
    if (precision > 0) {
        out += '.';
        out.append(digits.data() + whole, precision);
    }
}

// The exact path for magnitudes below 2^52 (a negative binary exponent) and
// precisions up to 19: significand × 10^precision fits in 128 bits, and the
// division by the power of two is a shift with an exactly known remainder.
// Returns false when it does not apply.
bool append_fixed_fast(const Binary& b, unsigned precision, std::string& out) {
    if (precision > 19 || b.exponent >= 0) return false;
    const unsigned __int128 product =
        static_cast<unsigned __int128>(b.significand) * kPow10[precision];
    const int shift = -b.exponent;
    std::uint64_t rounded;
    if (shift >= 128) {
        rounded = 0;  // product < 2^117 < half of 2^shift
    } else {
        const unsigned __int128 quotient = product >> shift;
        const unsigned __int128 remainder = product - (quotient << shift);
        const unsigned __int128 half = static_cast<unsigned __int128>(1) << (shift - 1);
        if (quotient >> 64 != 0) return false;
        rounded = static_cast<std::uint64_t>(quotient);
        if (remainder > half || (remainder == half && (rounded & 1) != 0)) ++rounded;
        if (rounded == 0 && quotient != 0) return false;  // wrapped past 2^64
    }
    char digits[20];
    const char* const end = std::to_chars(digits, digits + sizeof digits, rounded).ptr;
    append_scaled(std::string_view(digits, static_cast<std::size_t>(end - digits)), precision, out);
    return true;
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
        multiply(static_cast<std::uint32_t>(kPow10[power]));
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
void append_scaled_exact(const Binary& b, unsigned precision, std::string& out) {
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
    append_scaled(scaled.decimal(), precision, out);
}

}  // namespace

void append_fixed(double x, unsigned precision, std::string& out) {
    if (std::isnan(x)) {
        out += "NaN";
        return;
    }
    if (std::signbit(x)) out += '-';
    if (std::isinf(x)) {
        out += "inf";
        return;
    }
    const Binary b = decompose(std::fabs(x));
    // The 128-bit path takes the usual magnitudes and precisions.
    if (!append_fixed_fast(b, precision, out)) append_scaled_exact(b, precision, out);
}

}  // namespace tessel::json
