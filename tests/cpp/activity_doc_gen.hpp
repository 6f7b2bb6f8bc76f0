#pragma once
// Random option documents for the activity tests: JSON text with random
// layout, every number and string form, and series / visualMap members in
// the shapes the finalizers meet. A clean document is valid JSON without
// repeated or escaped keys, null edit targets or oversized objects (the
// documents the one-pass copy must handle itself); the others add
// everything else, syntax errors included.
#include <algorithm>
#include <cstdint>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace activity_test {

class DocGen {
public:
    DocGen(std::uint64_t seed, bool clean) : rng_(seed), clean_(clean) {}

    std::mt19937_64& rng() { return rng_; }
    int pick(int n) { return static_cast<int>(rng_() % static_cast<std::uint64_t>(n)); }
    bool chance(int percent) { return pick(100) < percent; }

    // series_count: the entries of "series" when it is an array (clean
    // documents always have one; others may not).
    std::string document(int series_count) {
        std::vector<std::string> members;
        std::set<std::string> used = {"series", "visualMap"};
        for (int i = pick(4); i > 0; --i) members.push_back(member(used, 2));
        members.push_back(quoted("series") + colon() + series(series_count));
        if (!clean_ && chance(5)) members.pop_back();  // no series at all
        if (!clean_ && chance(5)) members.push_back(quoted("series") + colon() + series(series_count));
        switch (pick(clean_ ? 3 : 6)) {
            case 0: break;
            case 1: members.push_back(quoted("visualMap") + colon() + visual_map()); break;
            case 2: members.push_back(quoted("visualMap") + colon() + visual_map()); break;
            case 3: members.push_back(quoted("visualMap") + colon() + ws() + "null"); break;
            case 4: members.push_back(quoted("visualMap") + colon() + array(3)); break;
            default: members.push_back(quoted("visualMap") + colon() + ws() + number()); break;
        }
        for (int i = pick(3); i > 0; --i) members.push_back(member(used, 2));
        if (chance(3)) members.push_back(quoted("deep") + colon() + nested(clean_ ? 126 - pick(3) : 125 + pick(4)));
        if (!clean_ && chance(3)) {
            std::string big = "{";
            for (int i = 0; i < 70; ++i) big += (i ? "," : "") + quoted("m" + std::to_string(i)) + ":" + std::to_string(i);
            members.push_back(quoted("big") + colon() + big + "}");
        }
        shuffle(members);
        std::string text = ws() + "{" + join(members) + ws() + "}" + ws();
        if (!clean_ && chance(8)) text = mutate(text);
        return text;
    }

private:
    std::string ws() {
        static const char* const kSpaces[] = {"", "", "", "", " ", "\n", "\t", "\r\n  ", "  "};
        return kSpaces[pick(9)];
    }
    std::string colon() { return ws() + ":" + ws(); }
    static std::string quoted(const std::string& s) { return "\"" + s + "\""; }

    std::string join(const std::vector<std::string>& parts) {
        std::string out;
        for (std::size_t i = 0; i < parts.size(); ++i) out += (i ? ws() + "," + ws() : ws()) + parts[i];
        return out;
    }
    template <class T>
    void shuffle(std::vector<T>& v) {
        std::shuffle(v.begin(), v.end(), rng_);
    }

    std::string key(std::set<std::string>& used) {
        static const char* const kPool[] = {"a", "b", "data", "max", "type", "name", "\xC3\xA9t\xC3\xA9", "with space", "",
                                            "itemStyle", "x/y"};
        static const char* const kEscaped[] = {"\\u0061", "d\\u0061ta", "x\\ny", "\\\"q", "m\\u0061x"};
        if (!clean_ && chance(8)) return kEscaped[pick(5)];
        if (!clean_ && chance(10) && !used.empty()) {
            auto it = used.begin();
            std::advance(it, pick(static_cast<int>(used.size())));
            return *it;  // a repeated key
        }
        for (;;) {
            std::string k = chance(70) ? kPool[pick(11)] : "k" + std::to_string(pick(1000));
            if (used.insert(k).second) return k;
        }
    }

    std::string member(std::set<std::string>& used, int depth) { return quoted(key(used)) + colon() + value(depth); }

    std::string string_value() {
        static const char* const kPool[] = {
            "\"\"", "\"abc\"", "\"#4c78a8\"", "\"h\xC3\xA9llo w\xC3\xB6rld, a longer string of text\"",
            "\"q\\\"uote\"", "\"\\\\back\"", "\"\\/slash\"", "\"\\b\\f\\n\\r\\t\"", "\"\\u0001\\u001F\\u007f\\u00E9\"",
            "\"\\ud83d\\ude00 smile\"", "\"\x7f raw del\"", "\"{value}%\"", "\"0123456789abcdef0123\""};
        static const char* const kBad[] = {"\"\\x\"", "\"\\ud800\"", "\"\\udc00\"", "\"\\ud800\\u0041\"", "\"a\tb\"",
                                           "\"open", "\"\\u12G4\""};
        if (!clean_ && chance(3)) return kBad[pick(7)];
        if (chance(30)) {
            std::string s = "\"";
            for (int n = pick(40); n > 0; --n) {
                char c = static_cast<char>(' ' + pick(95));
                if (c == '"' || c == '\\') c = '_';
                s += c;
            }
            return s + "\"";
        }
        return kPool[pick(13)];
    }

    std::string number() {
        static const char* const kPool[] = {
            "0", "-0", "7", "-7", "123456789012345678", "-123456789012345678", "1234567890123456789",
            "-1234567890123456789", "18446744073709551615", "18446744073709551616", "-9223372036854775808",
            "-9223372036854775809", "99999999999999999999999", "0.5", "-0.0", "1.0", "1e2", "1E+2", "1e-2",
            "-1.5e-7", "2.675", "0.1", "123.456e10", "1e308", "4.9e-324", "1e-400", "0e999999999999",
            "12345678901234567890.5", "1.7976931348623157e308", "0.000001", "1e15", "1e16"};
        static const char* const kBad[] = {"01", "1.", "1e", "-", "1e400", "+1", ".5", "NaN", "-Infinity", "1.5.2",
                                           "0x10", "1e+"};
        if (!clean_ && chance(3)) return kBad[pick(12)];
        switch (pick(4)) {
            case 0: return std::to_string(static_cast<std::int64_t>(rng_()) >> pick(63));
            case 1: return std::to_string(pick(2000000) - 1000000) + "." + std::to_string(pick(1000));
            default: return kPool[pick(32)];
        }
    }

    std::string value(int depth) {
        switch (pick(depth > 0 ? 8 : 6)) {
            case 0: return "null";
            case 1: return chance(50) ? "true" : "false";
            case 2:
            case 3: return number();
            case 4:
            case 5: return string_value();
            case 6: return array(depth - 1);
            default: return object(depth - 1);
        }
    }

    std::string array(int depth) {
        std::vector<std::string> items;
        for (int i = pick(4); i > 0; --i) items.push_back(value(depth));
        return "[" + join(items) + ws() + "]";
    }

    std::string object(int depth) {
        std::set<std::string> used;
        std::vector<std::string> members;
        for (int i = pick(4); i > 0; --i) members.push_back(member(used, depth));
        return "{" + join(members) + ws() + "}";
    }

    // `levels` containers, one inside the other.
    std::string nested(int levels) {
        std::string open, close;
        for (int i = 0; i < levels; ++i) {
            if (i % 2) {
                open += "{\"n\":";
                close = "}" + close;
            } else {
                open += "[";
                close = "]" + close;
            }
        }
        return open + "1" + close;
    }

    std::string series_entry() {
        if (!clean_) {
            switch (pick(12)) {
                case 0: return "null";
                case 1: return number();
                case 2: return string_value();
                case 3: return array(1);
                case 4: return chance(50) ? "true" : "false";
                default: break;
            }
        }
        std::set<std::string> used = {"data"};
        std::vector<std::string> members;
        for (int i = pick(4); i > 0; --i) members.push_back(member(used, 2));
        if (chance(50)) members.push_back(quoted("data") + colon() + value(2));
        if (!clean_ && chance(10)) members.push_back(quoted("data") + colon() + value(1));
        shuffle(members);
        return "{" + join(members) + ws() + "}";
    }

    std::string series(int count) {
        if (!clean_) {
            switch (pick(10)) {
                case 0: return "null";
                case 1: return object(1);
                case 2: return number();
                case 3: return string_value();
                case 4: count = count + pick(3) - 1; break;
                default: break;
            }
        }
        std::vector<std::string> entries;
        for (int i = 0; i < count; ++i) entries.push_back(series_entry());
        return "[" + join(entries) + ws() + "]";
    }

    std::string visual_map() {
        std::set<std::string> used = {"max"};
        std::vector<std::string> members;
        for (int i = pick(4); i > 0; --i) members.push_back(member(used, 1));
        if (chance(50)) members.push_back(quoted("max") + colon() + value(1));
        if (!clean_ && chance(10)) members.push_back(quoted("max") + colon() + number());
        shuffle(members);
        return "{" + join(members) + ws() + "}";
    }

    std::string mutate(std::string text) {
        if (text.empty()) return text;
        const auto at = static_cast<std::size_t>(pick(static_cast<int>(text.size())));
        static const char kBytes[] = ",]}:\"x0 [{\\";
        switch (pick(3)) {
            case 0: return text.substr(0, at);
            case 1: return text.insert(at, 1, kBytes[pick(11)]);
            default: return text.erase(at, 1);
        }
    }

    std::mt19937_64 rng_;
    bool clean_;
};

}  // namespace activity_test
