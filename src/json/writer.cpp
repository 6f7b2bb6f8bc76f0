#include "json/writer.hpp"

#include "json/float_text.hpp"

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

// The escape of a byte that needs one, written at `out` (room for 6 bytes);
// returns its length.
std::size_t escape_text(unsigned char c, char* out) {
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
        char* p = room(json_float_room);
        advance_to(format_json_float(x, p));
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
    void grow(std::size_t n) {
        std::size_t size = out_.size() * 2;
        if (size < 128) size = 128;
        if (size < length_ + n) size = length_ + n;
        out_.resize(size);
    }

    void escape(unsigned char c) {
        char text[6];
        put(text, escape_text(c, text));
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

// The single-value writers below append directly: a Writer sizes its whole
// target up front, which pays for a document but not for one value at a time.

void write_json_string(std::string_view text, std::string& out) {
    out.reserve(out.size() + text.size() + 2);
    out.push_back('"');
    const char* run = text.data();
    const char* const end = run + text.size();
    for (const char* p = run; p != end; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        if (!kNeedsEscape[c]) continue;
        out.append(run, static_cast<std::size_t>(p - run));
        char escaped[6];
        out.append(escaped, escape_text(c, escaped));
        run = p + 1;
    }
    out.append(run, static_cast<std::size_t>(end - run));
    out.push_back('"');
}

void write_json_float(double x, std::string& out) {
    char text[json_float_room];
    out.append(text, format_json_float(x, text));
}

void write_json_unsigned(std::uint64_t u, std::string& out) {
    char text[20];
    out.append(text, std::to_chars(text, text + sizeof text, u).ptr);
}

void write_json_signed(std::int64_t i, std::string& out) {
    char text[20];
    out.append(text, std::to_chars(text, text + sizeof text, i).ptr);
}

}  // namespace tessel::json
