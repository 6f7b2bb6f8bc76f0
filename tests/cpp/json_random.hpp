#pragma once
// Random number texts of every form for the reader's float tests.
#include <cstdint>
#include <random>
#include <string>

namespace json_test {

// A number text: optional sign, up to 28 integer and fraction digits, and
// exponents small, large, zero-padded or near 2^31.
inline std::string random_number_text(std::mt19937_64& rng) {
    auto digits = [&](int n, bool leading_nonzero) {
        std::string d;
        for (int i = 0; i < n; ++i) {
            d += static_cast<char>('0' + (i == 0 && leading_nonzero ? 1 + rng() % 9 : rng() % 10));
        }
        return d;
    };
    std::string text = rng() % 2 ? "-" : "";
    text += rng() % 5 == 0 ? "0" : digits(1 + static_cast<int>(rng() % 28), true);
    const bool fraction = rng() % 3 != 0;
    if (fraction) text += "." + digits(1 + static_cast<int>(rng() % 28), false);
    if (!fraction || rng() % 2) {
        text += rng() % 4 == 0 ? "E" : "e";
        const int sign = static_cast<int>(rng() % 3);
        text += sign == 0 ? "" : (sign == 1 ? "+" : "-");
        switch (rng() % 4) {
            case 0:
                text += std::to_string(rng() % 30);
                break;
            case 1:
                text += std::to_string(rng() % 420);
                break;
            case 2:
                text += std::string(rng() % 3, '0') + std::to_string(rng() % 700);
                break;
            default:
                text += digits(9 + static_cast<int>(rng() % 4), false);
                break;  // near 2^31
        }
    }
    return text;
}

}  // namespace json_test
