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
#include <cstdint>
#include <cstring>
#include <initializer_list>
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
    FuzzedDataProvider params;
    Input(const std::uint8_t* data, std::size_t size)
        : text(reinterpret_cast<const char*>(data), std::find(data, data + size, 0) - data),
          params(data + std::min(text.size() + 1, size), size - std::min(text.size() + 1, size)) {}
};

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
inline bool is_valid_utf8(std::string_view s) {
    for (std::size_t i = 0, n; i < s.size(); i += n) {
        const auto b = static_cast<unsigned char>(s[i]);
        n = b < 0x80 ? 1 : b >= 0xC2 && b <= 0xDF ? 2 : b >= 0xE0 && b <= 0xEF ? 3 : b >= 0xF0 && b <= 0xF4 ? 4 : 0;
        if (n == 0 || i + n > s.size()) return false;
        for (std::size_t k = 1; k < n; ++k) {
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        }
        const auto b1 = static_cast<unsigned char>(n > 1 ? s[i + 1] : 0);
        if ((b == 0xE0 && b1 < 0xA0) || (b == 0xED && b1 >= 0xA0) || (b == 0xF0 && b1 < 0x90) || (b == 0xF4 && b1 >= 0x90)) {
            return false;  // overlong, surrogate, overlong, above U+10FFFF
        }
    }
    return true;
}

inline bool starts_with(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

// Doubles that reach the interesting cases often: non-finite values, signed
// zeros, rounding ties at hundredths, values whose product with 100
// overflows, subnormals; otherwise any bit pattern.
inline double consume_double(FuzzedDataProvider& p) {
    using L = std::numeric_limits<double>;
    static constexpr double kSpecial[] = {0.0, -0.0, 1.0, -1.0, 0.125, -0.125, 2.675, 1.005, 99.995, 33.333333, 0.5, 1e300,
                                          -1e307, L::max(), L::lowest(), L::denorm_min(), L::min(), L::infinity(),
                                          -L::infinity(), L::quiet_NaN(), -L::quiet_NaN(), 4503599627370495.5,
                                          9007199254740993.0};
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
    using L = std::numeric_limits<std::int64_t>;
    switch (p.ConsumeIntegralInRange<int>(0, 2)) {
        case 0: return p.ConsumeIntegralInRange<std::int64_t>(-3, 1000);
        case 1: return p.PickValueInArray({L::min(), std::int64_t{-1}, std::int64_t{0}, L::max()});
        default: return p.ConsumeIntegral<std::int64_t>();
    }
}

// Colour texts: usually plain, sometimes holding every byte a JSON string
// must escape, quotes and non-ASCII text.
inline std::vector<std::string> consume_colours(FuzzedDataProvider& p, std::size_t n) {
    std::vector<std::string> colours(n);
    for (std::string& c : colours) {
        const int kind = p.ConsumeIntegralInRange<int>(0, 3);
        c = kind == 0   ? "#1f77b4"
            : kind == 1 ? p.PickValueInArray<std::string>({"", "\"\\/\b\f\n\r\t", std::string("\0\x01\x1f\x7f", 4),
                                                           "\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80", "<&>'"})
                        : p.ConsumeRandomLengthString(24);
    }
    return colours;
}

// A length in [0, limit], small most of the time.
inline std::size_t consume_length(FuzzedDataProvider& p, std::size_t limit) {
    return p.ConsumeIntegralInRange<std::size_t>(0, p.ConsumeBool() ? std::min<std::size_t>(limit, 4) : limit);
}

// A length that is usually `n`, sometimes one more or (when possible) one less.
inline std::size_t consume_near(FuzzedDataProvider& p, std::size_t n) {
    const int k = p.ConsumeIntegralInRange<int>(0, 7);
    return k == 0 ? n + 1 : k == 1 && n > 0 ? n - 1 : n;
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
    const auto r = static_cast<std::ptrdiff_t>(rows), c = static_cast<std::ptrdiff_t>(cols);
    const int layout = p.ConsumeIntegralInRange<int>(0, 4);
    const std::ptrdiff_t gap = d * p.ConsumeIntegralInRange<std::ptrdiff_t>(0, 2);
    std::ptrdiff_t row_stride = d * c, col_stride = d, misalign = 0;
    switch (layout) {
        case 1: row_stride = d, col_stride = d * r; break;                      // Fortran
        case 2: col_stride = d + gap, row_stride = (d + gap) * c + gap; break;  // gaps
        case 3: row_stride = -d * c; break;                                     // rows reversed
        case 4: misalign = p.ConsumeIntegralInRange<std::ptrdiff_t>(1, 7); break;
    }
    const std::ptrdiff_t rows_span = r > 0 ? (r - 1) * (row_stride < 0 ? -row_stride : row_stride) : 0;
    MatrixInput m;
    m.storage.resize(static_cast<std::size_t>(misalign + rows_span + (c > 0 ? (c - 1) * col_stride : 0) + d));
    std::byte* origin = m.storage.data() + misalign + (row_stride < 0 ? rows_span : 0);
    m.view = {origin, rows, cols, row_stride, col_stride};
    for (std::ptrdiff_t i = 0; i < r; ++i) {
        for (std::ptrdiff_t j = 0; j < c; ++j) {
            const double v = consume_double(p);
            std::memcpy(origin + i * row_stride + j * col_stride, &v, sizeof v);
        }
    }
    return m;
}

// A decoding refusal: the prefix, then exactly the reader's own error for
// this text.
inline bool is_decode_error(std::string_view message, std::string_view text) {
    constexpr std::string_view prefix = "failed to decode option JSON: ";
    try {
        (void)tessel::json::read_json_document(text);
    } catch (const tessel::json::ReadError& e) {
        return starts_with(message, prefix) && message.substr(prefix.size()) == e.text();
    }
    return false;
}

// "cannot access index 0 of JSON {kind}" (no `key`: the first series entry
// is out of reach) or "cannot access key \"{key}\" in JSON {kind}", of a kind
// that could not have served.
inline bool is_access_failure(std::string_view m, std::string_view key = {}) {
    const std::string head =
        key.empty() ? "cannot access index 0 of JSON " : "cannot access key \"" + std::string(key) + "\" in JSON ";
    if (!starts_with(m, head)) return false;
    const std::string_view kind = m.substr(head.size());
    if (kind == "boolean" || kind == "number" || kind == "string") return true;
    return key.empty() ? kind == "null" || kind == "object" || kind == "array of length 0" : kind == "array";
}

// A finalizer's run ends in a result that reads as JSON (valid UTF-8 whenever
// every text that went in was), in a refusal (the reader's own error, a root
// that is no object, or one of `refusals`), or in an internal failure that
// `internal` allows. Any other exception, a TypeError among them, ends the
// run as a crash.
template <class Call, class Internal>
void check_finalizer(std::string_view text, const std::vector<std::string>& colours, Call call,
                     std::initializer_list<std::string_view> refusals, Internal internal) {
    try {
        const std::string out = call();
        (void)tessel::json::read_json_document(out);  // must not throw
        bool utf8 = is_valid_utf8(text);
        for (const std::string& c : colours) utf8 = utf8 && is_valid_utf8(c);
        check(!utf8 || is_valid_utf8(out));
    } catch (const tessel::ValueError& e) {
        const std::string_view m = e.what();
        check(m == "option JSON root must be an object" || is_decode_error(m, text) ||
              std::find(refusals.begin(), refusals.end(), m) != refusals.end());
    } catch (const tessel::InternalFailure& e) {
        check(internal(std::string_view(e.what())));
    }
}

// The colours as the finalizers take them.
inline std::vector<std::string_view> views(const std::vector<std::string>& texts) {
    return {texts.begin(), texts.end()};
}

}  // namespace fuzz
