#include "activity/option_copy.hpp"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

#include "json/reader.hpp"

namespace tessel::activity {

namespace {

// Bytes that end a run of plain string content: '"', '\\' and the control
// bytes below 0x20 (an error when raw in a string).
constexpr auto kStringStop = [] {
    std::array<bool, 256> table{};
    for (int c = 0; c < 0x20; ++c) table[c] = true;
    table['"'] = true;
    table['\\'] = true;
    return table;
}();

constexpr bool is_digit(char c) noexcept { return static_cast<unsigned char>(c - '0') < 10; }
constexpr bool is_whitespace(char c) noexcept { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }

// The keys of the objects being copied, innermost last: the first ones in
// place, more on the heap.
class KeyStack {
public:
    std::size_t size() const noexcept { return size_; }
    const std::string_view& operator[](std::size_t i) const noexcept {
        return i < kInline ? inline_[i] : spill_[i - kInline];
    }
    void push(std::string_view key) {
        if (size_ < kInline) {
            inline_[size_] = key;
        } else {
            spill_.push_back(key);
        }
        ++size_;
    }
    void resize(std::size_t n) {
        if (n < kInline) {
            spill_.clear();
        } else {
            spill_.resize(n - kInline);
        }
        size_ = n;
    }

private:
    static constexpr std::size_t kInline = 48;
    std::string_view inline_[kInline];
    std::vector<std::string_view> spill_;
    std::size_t size_ = 0;
};

// Every copy function starts at the first byte of its value (whitespace
// skipped) and returns false to give up. Recursion: one level per nested
// container, at most 127 (the reader's budget).
class Copier {
public:
    Copier(std::string_view text, const OptionEdits& edits, TextWriter& out)
        : p_(text.data()), end_(text.data() + text.size()), edits_(edits), out_(out) {}

    bool run() {
        skip_whitespace();
        if (p_ == end_ || *p_ != '{') return false;
        if (!root()) return false;
        skip_whitespace();
        return p_ == end_;
    }

private:
    static constexpr int kMaxDepth = 127;
    // Objects with more members are left to the document and its hashed
    // look-up, so the search for repeated keys stays short.
    static constexpr std::size_t kMaxMembers = 64;

    void skip_whitespace() noexcept {
        const char* p = p_;
        while (p != end_ && static_cast<unsigned char>(*p) <= ' ' && is_whitespace(*p)) ++p;
        p_ = p;
    }

    bool value() {
        if (p_ == end_) return false;
        switch (*p_) {
            case '{': return object([this](std::string_view) { return value(); }, [](bool) { return true; });
            case '[': return array([this](std::size_t) { return value(); });
            case '"': return string_value();
            case 't': return literal("true");
            case 'f': return literal("false");
            case 'n': return literal("null");
            default: return number();
        }
    }

    // Copies the value at p_ for validation only: nothing of it stays in out_.
    bool skip_value() {
        const std::size_t mark = out_.size();
        const bool ok = value();
        out_.truncate(mark);
        return ok;
    }

    // `member(key)` copies or replaces each member's value (its key and ":"
    // are written); `finish(any_members)` may append members before "}".
    template <class Member, class Finish>
    bool object(Member&& member, Finish&& finish) {
        if (++depth_ > kMaxDepth) return false;
        ++p_;
        out_.put('{');
        const std::size_t keys_base = keys_.size();
        bool any = false;
        skip_whitespace();
        if (p_ != end_ && *p_ == '}') {
            ++p_;
        } else {
            for (;;) {
                std::string_view key;
                if (!read_key(key)) return false;
                if (keys_.size() - keys_base == kMaxMembers) return false;
                for (std::size_t i = keys_base; i < keys_.size(); ++i) {
                    if (keys_[i] == key) return false;
                }
                keys_.push(key);
                skip_whitespace();
                if (p_ == end_ || *p_ != ':') return false;
                ++p_;
                skip_whitespace();
                if (any) out_.put(',');
                any = true;
                // The key with its quotes, then the colon.
                out_.put_from(std::string_view(key.data() - 1, key.size() + 2), end_);
                out_.put(':');
                if (!member(key)) return false;
                skip_whitespace();
                if (p_ == end_) return false;
                if (*p_ == '}') {
                    ++p_;
                    break;
                }
                if (*p_ != ',') return false;
                ++p_;
                skip_whitespace();
            }
        }
        keys_.resize(keys_base);
        if (!finish(any)) return false;
        out_.put('}');
        --depth_;
        return true;
    }

    // `element(i)` copies or replaces element i. Gives the element count.
    template <class Element>
    bool array(Element&& element, std::size_t* count = nullptr) {
        if (++depth_ > kMaxDepth) return false;
        ++p_;
        out_.put('[');
        std::size_t n = 0;
        skip_whitespace();
        if (p_ != end_ && *p_ == ']') {
            ++p_;
        } else {
            for (;;) {
                if (n != 0) out_.put(',');
                if (!element(n)) return false;
                ++n;
                skip_whitespace();
                if (p_ == end_) return false;
                if (*p_ == ']') {
                    ++p_;
                    break;
                }
                if (*p_ != ',') return false;
                ++p_;
                skip_whitespace();
            }
        }
        out_.put(']');
        --depth_;
        if (count != nullptr) *count = n;
        return true;
    }

    // The end of the run of plain string bytes from p: eight bytes at a
    // time while eight remain, then bytewise.
    const char* plain_run(const char* p) const noexcept {
        if constexpr (std::endian::native == std::endian::little) {
            constexpr std::uint64_t kOnes = 0x0101010101010101u;
            constexpr std::uint64_t kHighs = 0x8080808080808080u;
            // The classic test: a high bit for every byte below n. A borrow
            // can also flag a byte above (later than) a flagged one, never
            // below it, so the lowest flag marks the first stop byte.
            const auto below = [](std::uint64_t w, std::uint64_t n) { return (w - kOnes * n) & ~w & kHighs; };
            while (end_ - p >= 8) {
                std::uint64_t w;
                std::memcpy(&w, p, sizeof w);
                const std::uint64_t stops = below(w, 0x20) | below(w ^ (kOnes * '"'), 1) | below(w ^ (kOnes * '\\'), 1);
                if (stops != 0) return p + std::countr_zero(stops) / 8;
                p += 8;
            }
        }
        while (p != end_ && !kStringStop[static_cast<unsigned char>(*p)]) ++p;
        return p;
    }

    // A key without escapes; the writer writes it back unchanged.
    bool read_key(std::string_view& key) {
        if (p_ == end_ || *p_ != '"') return false;
        const char* const start = p_ + 1;
        const char* const stop = plain_run(start);
        if (stop == end_ || *stop != '"') return false;
        key = std::string_view(start, static_cast<std::size_t>(stop - start));
        p_ = stop + 1;
        return true;
    }

    bool string_value() {
        const char* const start = p_;
        const char* p = plain_run(start + 1);
        if (p == end_) return false;
        if (*p == '"') {
            // No escapes and no control bytes: the writer's form is the text itself.
            p_ = p + 1;
            out_.put_from(std::string_view(start, static_cast<std::size_t>(p_ - start)), end_);
            return true;
        }
        // With escapes: find the closing quote, then let the reader decode it.
        while (p != end_ && *p != '"') {
            if (static_cast<unsigned char>(*p) < 0x20) return false;
            if (*p == '\\' && ++p == end_) return false;
            ++p;
        }
        if (p == end_) return false;
        p_ = p + 1;
        return reread(std::string_view(start, static_cast<std::size_t>(p_ - start)));
    }

    bool literal(std::string_view word) {
        if (static_cast<std::size_t>(end_ - p_) < word.size() || std::memcmp(p_, word.data(), word.size()) != 0) {
            return false;
        }
        out_.put_from(std::string_view(p_, word.size()), end_);
        p_ += word.size();
        return true;
    }

    bool number() {
        const char* const start = p_;
        const char* p = start;
        if (*p == '-') ++p;
        if (p == end_ || !is_digit(*p)) return false;
        const char* const digits = p;
        while (p != end_ && is_digit(*p)) ++p;
        const auto n_digits = static_cast<std::size_t>(p - digits);
        const bool fraction_or_exponent = p != end_ && (*p == '.' || *p == 'e' || *p == 'E');
        if (!fraction_or_exponent && n_digits <= 18 && (*digits != '0' || (n_digits == 1 && digits == start))) {
            // An integer that fits in 64 bits, without leading zeros and not
            // -0: the writer writes the same digits.
            p_ = p;
            out_.put_from(std::string_view(start, static_cast<std::size_t>(p - start)), end_);
            return true;
        }
        while (p != end_ && (is_digit(*p) || *p == '.' || *p == 'e' || *p == 'E' || *p == '+' || *p == '-')) ++p;
        p_ = p;
        return reread(std::string_view(start, static_cast<std::size_t>(p - start)));
    }

    // A number or string token that needs the reader's conversion: read on
    // its own (which gives the same value as in place), then written.
    bool reread(std::string_view token) {
        json::JsonValue v;
        try {
            v = json::read_json(token);
        } catch (const json::ReadError&) {
            return false;
        }
        switch (v.kind()) {
            case json::Kind::Unsigned: out_.unsigned_number(v.as_unsigned()); return true;
            case json::Kind::Negative: out_.signed_number(v.as_negative()); return true;
            case json::Kind::Float: out_.float_number(v.as_float()); return true;
            case json::Kind::String: out_.string(v.as_string()); return true;
            default: return false;
        }
    }

    // ---- the edited places

    bool root() {
        bool seen_series = false;
        bool seen_visual_map = false;
        return object(
            [&](std::string_view key) {
                if (key == "series") {
                    seen_series = true;
                    return series();
                }
                if (edits_.set_visual_max && key == "visualMap") {
                    seen_visual_map = true;
                    return visual_map();
                }
                return value();
            },
            [&](bool any) {
                if (!seen_series) return false;
                if (edits_.set_visual_max && !seen_visual_map) {
                    if (any) out_.put(',');
                    out_.put("\"visualMap\":{\"max\":");
                    out_.put(edits_.visual_max_text);
                    out_.put('}');
                }
                return true;
            });
    }

    bool series() {
        if (p_ == end_ || *p_ != '[') return false;
        const bool every = edits_.entries == OptionEdits::Entries::Every;
        std::size_t count = 0;
        const bool ok = array(
            [&](std::size_t i) {
                if (i == 0 || every) {
                    if (every && i >= edits_.series_count) return false;
                    return series_entry(i);
                }
                return value();
            },
            &count);
        return ok && (every ? count == edits_.series_count : count >= 1);
    }

    bool series_entry(std::size_t i) {
        if (p_ == end_ || *p_ != '{') return false;
        bool seen_data = false;
        return object(
            [&](std::string_view key) {
                if (key != "data") return value();
                seen_data = true;
                edits_.write_data(edits_.context, i, out_);
                return skip_value();
            },
            [&](bool any) {
                if (!seen_data) {
                    if (any) out_.put(',');
                    out_.put("\"data\":");
                    edits_.write_data(edits_.context, i, out_);
                }
                return true;
            });
    }

    bool visual_map() {
        if (p_ == end_ || *p_ != '{') return false;
        bool seen_max = false;
        return object(
            [&](std::string_view key) {
                if (key != "max") return value();
                seen_max = true;
                out_.put(edits_.visual_max_text);
                return skip_value();
            },
            [&](bool any) {
                if (!seen_max) {
                    if (any) out_.put(',');
                    out_.put("\"max\":");
                    out_.put(edits_.visual_max_text);
                }
                return true;
            });
    }

    const char* p_;
    const char* const end_;
    const OptionEdits& edits_;
    TextWriter& out_;
    int depth_ = 0;
    KeyStack keys_;
};

}  // namespace

bool copy_option_with_edits(std::string_view option_json, const OptionEdits& edits, std::string& out) {
    TextWriter writer(out);
    return Copier(option_json, edits, writer).run();
}

}  // namespace tessel::activity
