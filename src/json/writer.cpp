#include "json/writer.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <cstring>

namespace tessel::json {

namespace {

// Bytes written as an escape inside a string: '"', '\\' and those below 0x20.
constexpr auto kNeedsEscape = [] {
    std::array<bool, 256> table{};
    for (int c = 0; c < 0x20; ++c) table[c] = true;
    table['"'] = true;
    table['\\'] = true;
    return table;
}();

// Appends to one growable buffer through a raw pointer: the string is kept
// sized to its capacity while writing and cut to the written length at the
// end (also when an allocation fails part way).
class Writer {
public:
    explicit Writer(std::string& out) : out_(out), length_(out.size()) {}
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;
    ~Writer() { out_.resize(length_); }

    // Room for at least n more bytes; returns where they go.
    char* room(std::size_t n) {
        if (out_.size() - length_ < n) grow(n);
        return out_.data() + length_;
    }
    void advance_to(const char* end) noexcept {
        length_ = static_cast<std::size_t>(end - out_.data());
    }

    void put(char c) {
        *room(1) = c;
        ++length_;
    }
    void put(const char* bytes, std::size_t n) {
        std::memcpy(room(n), bytes, n);
        length_ += n;
    }
    void put(std::string_view text) { put(text.data(), text.size()); }

    // Recursion: one level per nested array or object. Values read from text
    // are at most 127 levels deep and the module's own documents a handful, so
    // the depth stays near that bound.
    void value(const JsonValue& v) {
        switch (v.kind()) {
            case Kind::Null:
                put("null");
                break;
            case Kind::Bool:
                put(v.as_bool() ? std::string_view("true") : std::string_view("false"));
                break;
            case Kind::Unsigned:
                unsigned_number(v.as_unsigned());
                break;
            case Kind::Negative:
                signed_number(v.as_negative());
                break;
            case Kind::Float:
                float_number(v.as_float());
                break;
            case Kind::String:
                string(v.as_string());
                break;
            case Kind::Array: {
                put('[');
                bool first = true;
                for (const JsonValue& element : v.as_array()) {
                    if (!first) put(',');
                    first = false;
                    value(element);
                }
                put(']');
                break;
            }
            case Kind::Object: {
                put('{');
                bool first = true;
                for (const JsonMember& member : v.as_object()) {
                    if (!first) put(',');
                    first = false;
                    string(member.key);
                    put(':');
                    value(member.value);
                }
                put('}');
                break;
            }
        }
    }

    void unsigned_number(std::uint64_t u) {
        char* p = room(20);
        advance_to(std::to_chars(p, p + 20, u).ptr);
    }

    void signed_number(std::int64_t i) {
        char* p = room(20);
        advance_to(std::to_chars(p, p + 20, i).ptr);
    }

    void float_number(double x) {
        char* p = room(kMaxFloatLength);
        advance_to(format_float(x, p));
    }

    // Bytes that need no escape are copied straight into room reserved for
    // the whole string; only an escape takes the slow path.
    void string(std::string_view text) {
        const char* s = text.data();
        const char* const end = s + text.size();
        char* p = room(text.size() + 2);
        *p++ = '"';
        while (s != end) {
            const auto c = static_cast<unsigned char>(*s++);
            if (!kNeedsEscape[c]) {
                *p++ = static_cast<char>(c);
                continue;
            }
            advance_to(p);
            escape(c);
            p = room(static_cast<std::size_t>(end - s) + 1);
        }
        *p++ = '"';
        advance_to(p);
    }

private:
    // "-", 17 digits, "0." and four zeros, or the exponent form: 24 at most.
    static constexpr std::size_t kMaxFloatLength = 32;

    void grow(std::size_t n) {
        std::size_t size = out_.size() * 2;
        if (size < 128) size = 128;
        if (size < length_ + n) size = length_ + n;
        out_.resize(size);
    }

    void escape(unsigned char c) {
        switch (c) {
            case '"':
                put("\\\"");
                return;
            case '\\':
                put("\\\\");
                return;
            case '\b':
                put("\\b");
                return;
            case '\t':
                put("\\t");
                return;
            case '\n':
                put("\\n");
                return;
            case '\f':
                put("\\f");
                return;
            case '\r':
                put("\\r");
                return;
            default: {
                static constexpr char kHex[] = "0123456789abcdef";
                const char form[6] = {'\\', 'u', '0', '0', kHex[c >> 4], kHex[c & 0xF]};
                put(form, sizeof form);
            }
        }
    }

    // Writes the float form of x at p (room for kMaxFloatLength bytes) and
    // returns the end.
    static char* format_float(double x, char* p) {
        if (!std::isfinite(x)) {
            std::memcpy(p, "null", 4);
            return p + 4;
        }
        if (x == 0.0) {
            if (std::signbit(x)) *p++ = '-';
            std::memcpy(p, "0.0", 3);
            return p + 3;
        }
        if (char* end = format_short_decimal(x, p)) return end;
        return format_shortest(x, p);
    }

    // The common case of a number with at most four decimals, such as the
    // hundredths of chart data: for 0 < |x| < 2^36 and k = 0..4 decimals, take
    // the integer y nearest to |x|·10^k; when y ÷ 10^k (one correctly rounded
    // division, exact operands) gives |x| back, the decimal y·10^-k reads back
    // as x. Within this range 10^-k exceeds the spacing of doubles, so no
    // other k-decimal number reads back as x, and |x|·10^k is computed with an
    // error below 0.25, so y is found; the first such k therefore gives the
    // shortest digits, the same as the general path (tests compare the two).
    // Returns nullptr when no k fits.
    static char* format_short_decimal(double x, char* p) {
        static constexpr double kScale[] = {1.0, 10.0, 100.0, 1000.0, 10000.0};
        static constexpr std::uint64_t kIntScale[] = {1, 10, 100, 1000, 10000};
        const double magnitude = std::fabs(x);
        if (!(magnitude < 68719476736.0)) return nullptr;  // 2^36
        for (int k = 0; k <= 4; ++k) {
            const double scaled = magnitude * kScale[k];
            // scaled < 2^50, so adding 0.5 is exact and truncation rounds.
            const auto y = static_cast<std::uint64_t>(scaled + 0.5);
            if (static_cast<double>(y) / kScale[k] != magnitude) continue;
            if (x < 0) *p++ = '-';
            p = std::to_chars(p, p + 20, y / kIntScale[k]).ptr;
            *p++ = '.';
            if (k == 0) {
                *p++ = '0';
                return p;
            }
            std::uint64_t fraction = y % kIntScale[k];
            for (int i = k - 1; i >= 0; --i) {
                p[i] = static_cast<char>('0' + fraction % 10);
                fraction /= 10;
            }
            return p + k;
        }
        return nullptr;
    }

    // Any finite nonzero x, from the shortest round-trip digits.
    static char* format_shortest(double x, char* p) {
        // Shortest round-trip digits d1.d2...dn e±E (nearest, then even, on ties).
        char scientific[32];
        const char* q = scientific;
        const char* const end = std::to_chars(scientific, scientific + sizeof scientific, x,
                                              std::chars_format::scientific)
                                    .ptr;
        if (*q == '-') {
            *p++ = '-';
            ++q;
        }
        char digits[17];
        int n = 0;
        digits[n++] = *q++;
        if (*q == '.') {
            for (++q; *q != 'e'; ++q) digits[n++] = *q;
        }
        ++q;  // 'e'
        const bool negative_exponent = *q++ == '-';
        int e = 0;
        for (; q != end; ++q) e = e * 10 + (*q - '0');
        if (negative_exponent) e = -e;

        if (e < -5 || e > 15) {
            *p++ = digits[0];
            if (n > 1) {
                *p++ = '.';
                std::memcpy(p, digits + 1, static_cast<std::size_t>(n - 1));
                p += n - 1;
            }
            *p++ = 'e';
            *p++ = e < 0 ? '-' : '+';
            return std::to_chars(p, p + 3, e < 0 ? -e : e).ptr;
        }
        if (e >= n - 1) {  // whole: digits, zeros, ".0"
            std::memcpy(p, digits, static_cast<std::size_t>(n));
            p += n;
            std::memset(p, '0', static_cast<std::size_t>(e - n + 1));
            p += e - n + 1;
            std::memcpy(p, ".0", 2);
            return p + 2;
        }
        if (e >= 0) {  // the point falls inside the digits
            std::memcpy(p, digits, static_cast<std::size_t>(e + 1));
            p += e + 1;
            *p++ = '.';
            std::memcpy(p, digits + e + 1, static_cast<std::size_t>(n - e - 1));
            return p + (n - e - 1);
        }
        // Below 1: "0.", zeros, digits.
        *p++ = '0';
        *p++ = '.';
        std::memset(p, '0', static_cast<std::size_t>(-e - 1));
        p += -e - 1;
        std::memcpy(p, digits, static_cast<std::size_t>(n));
        return p + n;
    }

    std::string& out_;
    std::size_t length_;
};

}  // namespace

void write_json(const JsonValue& value, std::string& out) {
    Writer(out).value(value);
}

std::string to_json(const JsonValue& value) {
    std::string out;
    write_json(value, out);
    return out;
}

void write_json_string(std::string_view text, std::string& out) {
    Writer(out).string(text);
}

void write_json_float(double x, std::string& out) {
    Writer(out).float_number(x);
}

void write_json_unsigned(std::uint64_t u, std::string& out) {
    Writer(out).unsigned_number(u);
}

void write_json_signed(std::int64_t i, std::string& out) {
    Writer(out).signed_number(i);
}

}  // namespace tessel::json
