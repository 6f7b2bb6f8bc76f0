#pragma once
// Shared by the option-document fuzz targets.
//
// Input layout: the option text, then optionally a 0x00 byte and parameter
// bytes. A JSON text never holds a raw 0x00, so the split loses nothing the
// reader could accept; the parameter bytes drive the arrays and sizes that
// go with the text (through FuzzedDataProvider, which takes integers from
// the end of its bytes).
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "common/errors.hpp"
#include "common/strided.hpp"
#include "json/reader.hpp"

namespace fuzz {

// A property does not hold: stop with a crash that libFuzzer records.
inline void check(bool ok) {
    if (!ok) __builtin_trap();
}

struct Input {
    std::string_view text;
    const std::uint8_t* params = nullptr;
    std::size_t params_size = 0;
};

inline Input split_input(const std::uint8_t* data, std::size_t size) {
    const auto* nul = static_cast<const std::uint8_t*>(std::memchr(data, 0, size));
    if (nul == nullptr) return {std::string_view(reinterpret_cast<const char*>(data), size), nullptr, 0};
    const auto text_size = static_cast<std::size_t>(nul - data);
    return {std::string_view(reinterpret_cast<const char*>(data), text_size), nul + 1, size - text_size - 1};
}

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
inline bool is_valid_utf8(std::string_view s) {
    std::size_t i = 0;
    const std::size_t n = s.size();
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    auto cont = [&](std::size_t k) { return k < n && (byte(k) & 0xC0) == 0x80; };
    while (i < n) {
        const unsigned char b = byte(i);
        if (b < 0x80) {
            ++i;
        } else if (b >= 0xC2 && b <= 0xDF) {
            if (!cont(i + 1)) return false;
            i += 2;
        } else if (b >= 0xE0 && b <= 0xEF) {
            if (!cont(i + 1) || !cont(i + 2)) return false;
            const unsigned char b1 = byte(i + 1);
            if (b == 0xE0 && b1 < 0xA0) return false;   // overlong
            if (b == 0xED && b1 >= 0xA0) return false;  // surrogate
            i += 3;
        } else if (b >= 0xF0 && b <= 0xF4) {
            if (!cont(i + 1) || !cont(i + 2) || !cont(i + 3)) return false;
            const unsigned char b1 = byte(i + 1);
            if (b == 0xF0 && b1 < 0x90) return false;  // overlong
            if (b == 0xF4 && b1 >= 0x90) return false;  // above U+10FFFF
            i += 4;
        } else {
            return false;
        }
    }
    return true;
}

inline bool starts_with(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

// Doubles that reach the interesting cases often: non-finite values, signed
// zeros, rounding ties at hundredths, values whose product with 100
// overflows, subnormals; otherwise any bit pattern.
inline double consume_double(FuzzedDataProvider& p) {
    static constexpr double kSpecial[] = {
        0.0,
        -0.0,
        1.0,
        -1.0,
        0.125,
        -0.125,
        2.675,
        1.005,
        99.995,
        33.333333,
        0.5,
        1e300,
        -1e307,
        std::numeric_limits<double>::max(),
        std::numeric_limits<double>::lowest(),
        std::numeric_limits<double>::denorm_min(),
        std::numeric_limits<double>::min(),
        std::numeric_limits<double>::infinity(),
        -std::numeric_limits<double>::infinity(),
        std::numeric_limits<double>::quiet_NaN(),
        -std::numeric_limits<double>::quiet_NaN(),
        4503599627370495.5,
        9007199254740993.0,
    };
    switch (p.ConsumeIntegralInRange<int>(0, 3)) {
        case 0: return kSpecial[p.ConsumeIntegralInRange<std::size_t>(0, std::size(kSpecial) - 1)];
        case 1: return static_cast<double>(p.ConsumeIntegralInRange<int>(-1000, 100000)) / 100.0;
        case 2: return p.ConsumeFloatingPoint<double>();
        default: {
            const auto bits = p.ConsumeIntegral<std::uint64_t>();
            double x;
            std::memcpy(&x, &bits, sizeof x);
            return x;
        }
    }
}

inline std::int64_t consume_count(FuzzedDataProvider& p) {
    switch (p.ConsumeIntegralInRange<int>(0, 2)) {
        case 0: return p.ConsumeIntegralInRange<std::int64_t>(-3, 1000);
        case 1: return p.PickValueInArray({std::numeric_limits<std::int64_t>::min(), std::int64_t{-1}, std::int64_t{0},
                                           std::numeric_limits<std::int64_t>::max()});
        default: return p.ConsumeIntegral<std::int64_t>();
    }
}

// Colour texts: usually plain, sometimes holding every byte a JSON string
// must escape, quotes and non-ASCII text.
inline std::string consume_colour(FuzzedDataProvider& p) {
    switch (p.ConsumeIntegralInRange<int>(0, 3)) {
        case 0: return "#1f77b4";
        case 1: return p.PickValueInArray<std::string>({"", "\"\\/\b\f\n\r\t", std::string("\0\x01\x1f\x7f", 4),
                                                        "\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80", "<&>'"});
        default: return p.ConsumeRandomLengthString(24);
    }
}

// A length in [0, limit], small most of the time.
inline std::size_t consume_length(FuzzedDataProvider& p, std::size_t limit) {
    return p.ConsumeBool() ? p.ConsumeIntegralInRange<std::size_t>(0, std::min<std::size_t>(limit, 4))
                           : p.ConsumeIntegralInRange<std::size_t>(0, limit);
}

// How a call ended: with a result, or with one of the core's three error
// kinds. Any other exception is not caught: it ends the run as a crash.
struct Outcome {
    enum Kind { Result, Value, Type, Internal } kind;
    std::string text;  // the result, or the message

    friend bool operator==(const Outcome&, const Outcome&) = default;
};

template <class Call>
Outcome outcome_of(Call&& call) {
    try {
        return {Outcome::Result, call()};
    } catch (const tessel::ValueError& e) {
        return {Outcome::Value, e.what()};
    } catch (const tessel::TypeError& e) {
        return {Outcome::Type, e.what()};
    } catch (const tessel::InternalFailure& e) {
        return {Outcome::Internal, e.what()};
    }
}

// A decoding refusal: the prefix, then exactly the reader's own error for
// this text.
inline bool is_decode_error(std::string_view message, std::string_view text) {
    constexpr std::string_view prefix = "failed to decode option JSON: ";
    if (!starts_with(message, prefix)) return false;
    try {
        (void)tessel::json::read_json_document(text);
    } catch (const tessel::json::ReadError& e) {
        return message.substr(prefix.size()) == e.text();
    }
    return false;
}

// The kind words of "cannot access ... of JSON {kind}" messages.
inline bool is_kind_word(std::string_view w) {
    return w == "null" || w == "boolean" || w == "number" || w == "string" || w == "array" || w == "object";
}

// "cannot access index 0 of JSON {kind}" or "... of JSON array of length 0":
// the first series entry is out of reach.
inline bool is_first_entry_failure(std::string_view m) {
    constexpr std::string_view head = "cannot access index 0 of JSON ";
    if (!starts_with(m, head)) return false;
    const std::string_view kind = m.substr(head.size());
    return kind == "array of length 0" || (kind != "array" && is_kind_word(kind));
}

// "cannot access key \"{key}\" in JSON {kind}" for a kind that is neither
// null nor object.
inline bool is_key_failure(std::string_view m, std::string_view key) {
    const std::string head = "cannot access key \"" + std::string(key) + "\" in JSON ";
    if (!starts_with(m, head)) return false;
    const std::string_view kind = m.substr(head.size());
    return kind != "null" && kind != "object" && is_kind_word(kind);
}

// A finalizer's result must read as JSON, and must be valid UTF-8 whenever
// every text that went into it was.
inline void check_result_text(std::string_view result, std::string_view option_text,
                              const std::vector<std::string_view>& colours = {}) {
    (void)tessel::json::read_json_document(result);  // must not throw
    bool utf8 = is_valid_utf8(option_text);
    for (const std::string_view c : colours) utf8 = utf8 && is_valid_utf8(c);
    if (utf8) check(is_valid_utf8(result));
}

// A matrix of doubles in one of the layouts an array argument can have: C or
// Fortran order, with gaps between elements or rows, rows reversed, or
// misaligned. `storage` owns the bytes the view points into.
struct MatrixInput {
    std::vector<std::byte> storage;
    tessel::StridedMatrix view;
};

inline MatrixInput consume_matrix(FuzzedDataProvider& p, std::size_t rows, std::size_t cols) {
    constexpr std::ptrdiff_t d = sizeof(double);
    const int layout = p.ConsumeIntegralInRange<int>(0, 4);
    const std::ptrdiff_t gap = d * p.ConsumeIntegralInRange<std::ptrdiff_t>(0, 2);
    const auto r = static_cast<std::ptrdiff_t>(rows);
    const auto c = static_cast<std::ptrdiff_t>(cols);
    std::ptrdiff_t row_stride = d * c;
    std::ptrdiff_t col_stride = d;
    std::ptrdiff_t misalign = 0;
    switch (layout) {
        case 1: row_stride = d, col_stride = d * r; break;                      // Fortran
        case 2: col_stride = d + gap, row_stride = (d + gap) * c + gap; break;  // gaps
        case 3: row_stride = -d * c; break;                                     // rows reversed
        case 4: misalign = p.ConsumeIntegralInRange<std::ptrdiff_t>(1, 7); break;
        default: break;
    }
    // The corners bound every element's offset.
    std::ptrdiff_t lo = 0, hi = 0;
    for (const std::ptrdiff_t rr : {std::ptrdiff_t{0}, r > 0 ? r - 1 : 0}) {
        for (const std::ptrdiff_t cc : {std::ptrdiff_t{0}, c > 0 ? c - 1 : 0}) {
            lo = std::min(lo, rr * row_stride + cc * col_stride);
            hi = std::max(hi, rr * row_stride + cc * col_stride);
        }
    }
    MatrixInput m;
    m.storage.resize(static_cast<std::size_t>(hi - lo + d + misalign));
    const std::byte* origin = m.storage.data() + misalign - lo;
    m.view = {origin, rows, cols, row_stride, col_stride};
    for (std::size_t i = 0; i < rows; ++i) {
        for (std::size_t j = 0; j < cols; ++j) {
            const double v = consume_double(p);
            std::memcpy(m.storage.data() + (origin - m.storage.data()) + static_cast<std::ptrdiff_t>(i) * row_stride +
                            static_cast<std::ptrdiff_t>(j) * col_stride,
                        &v, sizeof v);
        }
    }
    return m;
}

// A length that is usually `n`, sometimes one more or (when possible) one less.
inline std::size_t consume_near(FuzzedDataProvider& p, std::size_t n) {
    switch (p.ConsumeIntegralInRange<int>(0, 7)) {
        case 0: return n + 1;
        case 1: return n > 0 ? n - 1 : n;
        default: return n;
    }
}

}  // namespace fuzz
