#pragma once
// Random JSON for the reader, writer and document tests: number texts of
// every form, strings built of the bytes that need escapes and of multi-byte
// characters, and value trees of these.
#include <cstdint>
#include <iterator>
#include <limits>
#include <random>
#include <string>
#include <utility>

#include "json/value.hpp"

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

// Valid UTF-8 of up to 7 pieces, some of which must be escaped when written.
inline std::string random_string(std::mt19937_64& rng) {
    static const std::string pieces[] = {"a",
                                         "Z",
                                         " ",
                                         "\"",
                                         "\\",
                                         "/",
                                         "\n",
                                         "\t",
                                         "\x01",
                                         "\x1f",
                                         "\x7f",
                                         std::string("\0", 1),
                                         "\xc3\xa9",
                                         "\xe2\x82\xac",
                                         "\xf0\x9f\x98\x80",
                                         "key",
                                         "data",
                                         "itemStyle"};
    std::string s;
    const int n = static_cast<int>(rng() % 8);
    for (int i = 0; i < n; ++i) s += pieces[rng() % std::size(pieces)];
    return s;
}

}  // namespace json_test
