#pragma once
// An independent reference for the JSON float form, for tests: the layout
// rules applied with string operations to the shortest scientific digits of
// std::to_chars.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

inline std::string reference_float_text(double x) {
    if (x == 0) return std::signbit(x) ? "-0.0" : "0.0";
    char shortest[64];
    std::to_chars_result r =
        std::to_chars(shortest, shortest + sizeof shortest, x, std::chars_format::scientific);
    std::string sci(shortest, r.ptr);
    std::string sign;
    if (sci[0] == '-') {
        sign = "-";
        sci.erase(0, 1);
    }
    const std::size_t e_pos = sci.find('e');
    std::string digits = sci.substr(0, e_pos);
    digits.erase(std::remove(digits.begin(), digits.end(), '.'), digits.end());
    const int e = std::stoi(sci.substr(e_pos + 1));
    const int n = static_cast<int>(digits.size());
    std::string out = sign;
    if (e >= -5 && e <= 15) {
        if (e >= n - 1) {
            out += digits + std::string(static_cast<std::size_t>(e - n + 1), '0') + ".0";
        } else if (e >= 0) {
            out += digits.substr(0, static_cast<std::size_t>(e + 1)) + "." +
                   digits.substr(static_cast<std::size_t>(e + 1));
        } else {
            out += "0." + std::string(static_cast<std::size_t>(-e - 1), '0') + digits;
        }
    } else {
        out += digits.substr(0, 1);
        if (n > 1) out += "." + digits.substr(1);
        out += e < 0 ? "e-" : "e+";
        out += std::to_string(std::abs(e));
    }
    return out;
}
