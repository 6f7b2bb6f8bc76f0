// The read-only document against the tree reader and writer: every text
// reads to the same value or fails with the same error, and the views show
// what the tree holds.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "common/errors.hpp"
#include "json/document.hpp"
#include "json/reader.hpp"
#include "json/value.hpp"
#include "json/writer.hpp"
#include "json_random.hpp"

namespace {

using tessel::InternalFailure;
using tessel::json::JsonArray;
using tessel::json::JsonDocument;
using tessel::json::JsonMemberView;
using tessel::json::JsonObject;
using tessel::json::JsonValue;
using tessel::json::JsonView;
using tessel::json::Kind;
using tessel::json::read_json;
using tessel::json::read_json_document;
using tessel::json::ReadError;
using tessel::json::to_json;

// The first way in which the view differs from the tree, or "".
std::string mismatch(JsonView v, const JsonValue& t) {
    if (!v) return "absent";
    if (v.kind() != t.kind()) return "kind";
    if (v.is_null() != t.is_null() || v.is_bool() != t.is_bool() || v.is_number() != t.is_number() ||
        v.is_string() != t.is_string() || v.is_array() != t.is_array() || v.is_object() != t.is_object())
        return "kind predicates";
    if (!v.is_object() && v.member("")) return "member of a non-object";
    if (t.is_number() && std::bit_cast<std::uint64_t>(v.number_as_double()) !=
                             std::bit_cast<std::uint64_t>(t.number_as_double()))
        return "number as double";
    switch (t.kind()) {
        case Kind::Null:
            return "";
        case Kind::Bool:
            return v.as_bool() == t.as_bool() ? "" : "boolean";
        case Kind::Unsigned:
            return v.as_unsigned() == t.as_unsigned() ? "" : "unsigned";
        case Kind::Negative:
            return v.as_negative() == t.as_negative() ? "" : "negative";
        case Kind::Float:
            return std::bit_cast<std::uint64_t>(v.as_float()) == std::bit_cast<std::uint64_t>(t.as_float()) ? ""
                                                                                                            : "float";
        case Kind::String:
            return v.as_string() == t.as_string().view() ? "" : "string";
        case Kind::Array: {
            const auto a = v.as_array();
            const JsonArray& ts = t.as_array();
            if (a.size() != ts.size() || a.empty() != ts.empty()) return "array size";
            std::size_t i = 0;
            for (const JsonView element : a) {
                const std::string at = "[" + std::to_string(i) + "]";
                if (i == ts.size()) return at + " past the end";
                if (auto m = mismatch(element, ts[i]); !m.empty()) return at + m;
                if (!(a.at(i).to_value() == ts[i])) return at + " at()";
                ++i;
            }
            if (i != ts.size()) return "array ends early";
            if (!a.empty() && !(a.front().to_value() == ts[0])) return "front()";
            return "";
        }
        case Kind::Object: {
            const auto o = v.as_object();
            const JsonObject& to = t.as_object();
            if (o.size() != to.size() || o.empty() != to.empty()) return "object size";
            const auto* m = to.begin();
            for (const JsonMemberView member : o) {
                if (m == to.end()) return "members past the end";
                const std::string at = "." + m->key.str();
                if (member.key != m->key.view()) return at + " key";
                if (auto d = mismatch(member.value, m->value); !d.empty()) return at + d;
                // Look-up, also of keys a byte shorter or longer, finds what the tree finds.
                const std::string key = m->key.str();
                for (const std::string& probe : {key, key.substr(0, key.size() - !key.empty()), key + "a"}) {
                    const JsonValue* expected = t.member(probe);
                    const JsonView found = v.member(probe);
                    if (bool(found) != (expected != nullptr) || (found && !(found.to_value() == *expected)))
                        return at + " member(" + probe + ")";
                }
                ++m;
            }
            return m == to.end() ? "" : "object ends early";
        }
    }
    return "";
}

// One per value and one per member key.
std::size_t entries_of(const JsonValue& t) {
    std::size_t n = 1;
    if (t.is_array())
        for (const JsonValue& e : t.as_array()) n += entries_of(e);
    if (t.is_object())
        for (const auto& m : t.as_object()) n += 1 + entries_of(m.value);
    return n;
}

std::string describe(const ReadError& e) {
    return std::to_string(static_cast<int>(e.reason)) + " " + std::to_string(e.line) + ":" +
           std::to_string(e.column) + " " + e.text();
}

struct Outcome {
    std::string difference;  // "" when the document agrees with the tree
    bool read = false;
};

// Reads `text` both ways, from a heap block of exactly its size (so that a
// sanitizer sees reads past its end).
Outcome compare_with_tree(std::string_view text) {
    const auto bytes = std::make_unique<char[]>(text.size());
    if (!text.empty()) std::memcpy(bytes.get(), text.data(), text.size());
    const std::string_view exact(bytes.get(), text.size());
    std::optional<JsonValue> tree;
    std::optional<JsonDocument> doc;
    std::string tree_error;
    std::string doc_error;
    try {
        tree = read_json(exact);
    } catch (const ReadError& e) {
        tree_error = describe(e);
    }
    try {
        doc = read_json_document(exact);
    } catch (const ReadError& e) {
        doc_error = describe(e);
    }
    if (doc_error != tree_error) return {"error: tree \"" + tree_error + "\", document \"" + doc_error + "\""};
    if (!tree) return {};
    const JsonView root = doc->root();
    const std::string written = to_json(*tree);
    if (to_json(root) != written) return {"written: " + to_json(root) + " vs " + written, true};
    if (to_json(*doc) != written) return {"document written: " + to_json(*doc) + " vs " + written, true};
    if (doc->text_size() != text.size()) return {"text size", true};
    if (!(root.to_value() == *tree)) return {"to_value", true};
    if (doc->entry_count() != entries_of(*tree)) return {"entry count", true};
    return {mismatch(root, *tree), true};
}

std::string difference(std::string_view text) {
    return compare_with_tree(text).difference;
}

// Random JSON text: random layout, every escape form, repeated keys (also
// spelled differently), numbers of every form, and now and then objects of
// more than 64 members.
class TextGen {
public:
    explicit TextGen(std::uint64_t seed) : rng_(seed) {}
    std::mt19937_64& rng() { return rng_; }
    int pick(int n) { return static_cast<int>(rng_() % static_cast<std::uint64_t>(n)); }

    std::string document(int depth) { return space() + value(depth) + space(); }

    std::string value(int depth) {
        switch (pick(depth > 0 ? 8 : 5)) {
            case 0:
                return pick(3) == 0 ? "null" : pick(2) ? "true" : "false";
            case 1:
            case 2:
                return number();
            case 3:
            case 4:
                return string(json_test::random_string(rng_));
            case 5:
                return pick(3) == 0 ? numbers() : array(depth);
            default:
                return object(depth);
        }
    }

    std::string number() {
        static const char* const edges[] = {
            "0",   "-0",   "0.0", "-0.0", "18446744073709551615", "18446744073709551616", "-9223372036854775808",
            "-9223372036854775809", "1E+2", "1e-400", "4.9e-324", "1.7976931348623157e308", "0.1", "-2.5e-3",
            "123456789012345678901234567890.5"};
        switch (pick(3)) {
            case 0:
                return json_test::random_number_text(rng_);
            case 1:
                return edges[pick(std::size(edges))];
            default:
                return (pick(2) ? "-" : "") + std::to_string(pick(1000)) +
                       (pick(2) ? "." + std::to_string(pick(100)) : "");
        }
    }

    // `decoded` spelled with random escapes: short forms, \u in either case,
    // surrogate pairs, "\/".
    std::string string(std::string_view decoded) {
        std::string out = "\"";
        for (std::size_t i = 0; i < decoded.size();) {
            const auto c = static_cast<unsigned char>(decoded[i]);
            const std::size_t n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
            std::uint32_t cp = n == 1 ? c : c & (0x7F >> n);
            for (std::size_t k = 1; k < n; ++k) cp = cp << 6 | (static_cast<unsigned char>(decoded[i + k]) & 0x3F);
            const bool must = c < 0x20 || c == '"' || c == '\\';
            const char* const shorts = "\"\"\\\\//\bb\ff\nn\rr\tt";
            const char* const s = c != 0 ? std::strchr(shorts, c) : nullptr;
            if (s != nullptr && (s - shorts) % 2 == 0 && (must || pick(3) == 0) && pick(4) != 0) {
                out += '\\';
                out += s[1];
            } else if (must || pick(4) == 0) {
                if (cp < 0x10000) {
                    out += unicode_escape(cp);
                } else {
                    out += unicode_escape(0xD800 + ((cp - 0x10000) >> 10));
                    out += unicode_escape(0xDC00 + ((cp - 0x10000) & 0x3FF));
                }
            } else {
                out.append(decoded.substr(i, n));
            }
            i += n;
        }
        return out + "\"";
    }

private:
    std::string unicode_escape(std::uint32_t unit) {
        const char* const digits = pick(2) ? "0123456789abcdef" : "0123456789ABCDEF";
        std::string out = "\\u";
        for (int shift = 12; shift >= 0; shift -= 4) out += digits[(unit >> shift) & 0xF];
        return out;
    }

    std::string space() {
        static const char blanks[] = " \t\n\r";
        std::string s;
        if (pick(4) == 0)
            for (int n = 1 + pick(3); n > 0; --n) s += blanks[pick(4)];
        return s;
    }

    // Arrays of numbers only take their own path in the tree reader.
    std::string numbers() {
        std::string s = "[" + space();
        for (int n = pick(13), i = 0; i < n; ++i) s += (i ? space() + "," + space() : "") + number();
        return s + space() + "]";
    }

    std::string array(int depth) {
        std::string s = "[" + space();
        for (int n = pick(6), i = 0; i < n; ++i) s += (i ? "," + space() : "") + value(depth - 1) + space();
        return s + "]";
    }

    std::string object(int depth) {
        const bool large = pick(30) == 0;
        const int n = large ? 60 + pick(20) : pick(7);
        std::vector<std::string> keys;
        std::string s = "{" + space();
        for (int i = 0; i < n; ++i) {
            std::string key;
            if (!keys.empty() && pick(5) == 0) {
                key = keys[pick(static_cast<int>(keys.size()))];
            } else if (large) {
                key = "k" + std::to_string(i);
            } else {
                key = pick(2) ? json_test::random_string(rng_) : std::string(1, static_cast<char>('a' + pick(3)));
            }
            keys.push_back(key);
            s += (i ? "," + space() : "") + string(key) + space() + ":" + space() + value(depth - 1) + space();
        }
        return s + "}";
    }

    std::mt19937_64 rng_;
};

// One to three byte flips, truncations, insertions or deletions.
std::string corrupt(std::string text, TextGen& gen) {
    static const char flips[] = {'"', '\\', ',', ':', '[', ']', '{', '}', ' ', '\n', 'u', 'e',
                                 '-', '.', '0', '9', '\0', '\x1f', '\x80', '\xff', 't', 'n'};
    static const char* const inserts[] = {"\\u", "\\ud800", "\\udc00\"", "\\uD83D\\u", "1e999", "[", "{\"",
                                          "\"\":", ",]", ",}", "tru", "-", "\n\n", "0", "\"", "]"};
    for (int k = 1 + gen.pick(3); k > 0; --k) {
        const auto at = static_cast<std::size_t>(gen.pick(static_cast<int>(text.size()) + 1));
        switch (gen.pick(4)) {
            case 0:
                if (at < text.size())
                    text[at] = gen.pick(2) ? static_cast<char>(gen.pick(256)) : flips[gen.pick(std::size(flips))];
                break;
            case 1:
                text.resize(at);
                break;
            case 2:
                text.insert(at, inserts[gen.pick(std::size(inserts))]);
                break;
            default:
                text.erase(at, static_cast<std::size_t>(1 + gen.pick(3)));
                break;
        }
    }
    return text;
}

TEST(JsonDocumentDifferential, GeneratedTexts) {
    TextGen gen(21);
    int read = 0;
    for (int i = 0; i < 20000; ++i) {
        const std::string text = gen.document(gen.pick(7));
        const Outcome outcome = compare_with_tree(text);
        ASSERT_EQ(outcome.difference, "") << text;
        read += outcome.read;
    }
    EXPECT_GT(read, 15000);  // most generated texts are valid (some numbers are out of range)
}

TEST(JsonDocumentDifferential, TreesAsTheWriterWritesThem) {
    std::mt19937_64 rng(22);
    const auto any_finite = [](std::mt19937_64& r) {
        for (;;)
            if (const double x = std::bit_cast<double>(r()); std::isfinite(x)) return x;
    };
    for (int i = 0; i < 5000; ++i) {
        const std::string text = to_json(json_test::random_value(rng, 1 + static_cast<int>(rng() % 6), any_finite));
        ASSERT_EQ(difference(text), "") << text;
    }
}

TEST(JsonDocumentDifferential, CorruptedTextsFailAlike) {
    TextGen gen(23);
    int failed = 0;
    for (int i = 0; i < 15000; ++i) {
        const std::string text = corrupt(gen.document(gen.pick(5)), gen);
        const Outcome outcome = compare_with_tree(text);
        ASSERT_EQ(outcome.difference, "") << text;
        failed += !outcome.read;
    }
    EXPECT_GT(failed, 10000);
}

// 127 levels of containers read, 128 do not; also cut short anywhere.
TEST(JsonDocumentDifferential, NestingAroundTheDepthLimit) {
    TextGen gen(24);
    for (int levels = 120; levels <= 132; ++levels) {
        for (int round = 0; round < 8; ++round) {
            std::string open, close;
            for (int i = 0; i < levels; ++i) {
                const bool object = gen.pick(2);
                open += object ? "{\"k\":" : (gen.pick(2) ? "[1, " : "[");
                close.insert(0, object ? "}" : " ]");
            }
            const std::string text = open + (gen.pick(2) ? "\"s\"" : "-1.5") + close;
            const Outcome outcome = compare_with_tree(text);
            ASSERT_EQ(outcome.difference, "") << text;
            EXPECT_EQ(outcome.read, levels <= 127) << text;
            const std::string cut = text.substr(0, static_cast<std::size_t>(gen.pick(static_cast<int>(text.size()))));
            ASSERT_EQ(difference(cut), "") << cut;
        }
    }
}

// Texts of more than a megabyte have their entries counted before they are
// read: the count must not be read past the text, and what is read is the same.
TEST(JsonDocumentDifferential, TextsOfMoreThanAMegabyte) {
    TextGen gen(26);
    for (const char* space : {"", " \n"}) {
        std::string text = "[[";  // in groups: at() and member() walk their array or object
        for (int n = 1; text.size() < (std::size_t{1} << 20) + 4097;) {
            const std::string piece = gen.document(4);
            try {
                (void)read_json(piece);
                text += piece + space + (n++ % 32 == 0 ? "],[" : ",");
            } catch (const ReadError&) {
            }
        }
        text += "{\"last\":\"[{,:\"}]]";
        const Outcome outcome = compare_with_tree(text);
        EXPECT_EQ(outcome.difference, "");
        EXPECT_TRUE(outcome.read);
        EXPECT_EQ(difference(text.substr(0, text.size() - 1)), "");
    }
}

// Decimals of up to 4 fraction digits and 15 digits in all (and k / 10^4
// below 2^48) keep their digits for the writer; those just outside do not.
TEST(JsonDocument, ShortDecimalsAroundTheirLimits) {
    for (const char* number : {"0.0001", "-0.0001", "0.00001", "1.10", "-2.5000", "0.0", "-0.0", "12.3456",
                               "28147497671.0655", "28147497671.0656", "-28147497671.0655", "99999999999.9999",
                               "999999999999999.9", "100000000000000.0", "1234567890.12345", "4503599627370495.5"}) {
        for (const std::string& text : {std::string(number), "[" + std::string(number) + "]",
                                        "{\"k\":" + std::string(number) + "}", "[1," + std::string(number) + ",\"s\"]"})
            EXPECT_EQ(difference(text), "") << text;
    }
}

// Texts written out, for what random text rarely reaches.
void expect_reads_as(std::string_view text, std::string_view expected) {
    EXPECT_EQ(difference(text), "") << text;
    EXPECT_EQ(to_json(read_json_document(text).root()), expected) << text;
}

// "k0":0,"k1":1,...
std::string numbered_members(int count) {
    std::string s;
    for (int i = 0; i < count; ++i) s += (i ? ",\"k" : "\"k") + std::to_string(i) + "\":" + std::to_string(i);
    return s;
}

TEST(JsonDocument, RepeatedKeysKeepTheirFirstPlaceAndLastValue) {
    expect_reads_as(R"({"a":1,"b":2,"a":3})", R"({"a":3,"b":2})");
    expect_reads_as(R"({"a":[1,2,[3]],"b":{"c":1,"c":{"d":[]}},"a":"x","b":null,"e":0})",
                    R"({"a":"x","b":null,"e":0})");
    expect_reads_as(R"({"a":{"x":1,"x":2},"b":[{"y":1,"y":[2],"z":0}],"c":1})",
                    R"({"a":{"x":2},"b":[{"y":[2],"z":0}],"c":1})");
    expect_reads_as(R"([{"k":1,"k":2},{"k":[1,2,3],"k":4},5])", R"([{"k":2},{"k":4},5])");
    expect_reads_as(R"({"\u0061":1,"a":2,"\"":3,"\u0022":4})", R"({"a":2,"\"":4})");
    expect_reads_as(R"({"":1,"ab":2,"cb":3,"":[]})", R"({"":[],"ab":2,"cb":3})");  // "ab" and "cb" share a key bit

    // More members than the 64 key bits tell apart, nested, with members after.
    const std::string large = "{" + numbered_members(70) + R"(,"k5":"last","k69":[1,{"k1":2,"k1":3}],"z":true})";
    std::string settled = "{" + numbered_members(70) + R"(,"z":true})";
    settled.replace(settled.find("\"k5\":5"), 6, "\"k5\":\"last\"");
    settled.replace(settled.find("\"k69\":69"), 8, "\"k69\":[1,{\"k1\":3}]");
    expect_reads_as("[" + large + ",7]", "[" + settled + ",7]");
    expect_reads_as(R"({"outer":)" + large + R"(,"outer":)" + large + R"(,"after":{"k0":1,"k0":2}})",
                    R"({"outer":)" + settled + R"(,"after":{"k0":2}})");
    const JsonDocument doc = read_json_document("[" + large + ",7]");
    EXPECT_EQ(doc.root().as_array().at(1).as_unsigned(), 7u);
    EXPECT_EQ(doc.root().as_array().at(0).member("k5").as_string(), "last");
}

// Arrays of one-entry elements (empty containers among them) and others.
TEST(JsonDocument, AtFindsTheIteratedElement) {
    for (const char* text : {"[1,\"two\",null,true,-3,4.5]", "[[],{},[],{}]", "[[],1,{}]",
                             R"([1,[2,3],{"a":[4]},"s",[],{},null,[[5]],6])",
                             R"([[[1]],[[2],[3]],{"k":{"k":[]}},0])", R"([{"a":1,"a":[1,2]},[3],4])"})
        EXPECT_EQ(difference(text), "") << text;
}

TEST(JsonDocument, MemberFindsExactKeysOnlyInObjects) {
    const JsonDocument doc = read_json_document(R"({"":0,"a":1,"ab":2,"abc":{"":3},"b":[4],"a\u0000":5})");
    const JsonView root = doc.root();
    const struct {
        std::string key;
        const char* found;  // written value, or nullptr for absent
    } cases[] = {{"", "0"},      {"a", "1"},         {"ab", "2"},         {"abc", R"({"":3})"}, {"abcd", nullptr},
                 {"A", nullptr}, {"b", "[4]"},       {"bb", nullptr},     {std::string("a\0", 2), "5"},
                 {std::string("a\0b", 3), nullptr}};
    for (const auto& c : cases) {
        const JsonView member = root.member(c.key);
        EXPECT_EQ(bool(member), c.found != nullptr) << c.key;
        if (member) {
            EXPECT_EQ(to_json(member), c.found) << c.key;
        }
        EXPECT_EQ(bool(root.as_object().find(c.key)), c.found != nullptr) << c.key;
    }
    EXPECT_EQ(root.member("abc").member("").as_unsigned(), 3u);
    for (const JsonView not_object : {root.member("b"), root.member("a"), root.member("missing")})
        EXPECT_FALSE(not_object.member("")) << (not_object ? to_json(not_object) : "absent");
    for (const char* text : {"{}", "[\"\"]", "\"\"", "null"}) EXPECT_FALSE(read_json_document(text).root().member(""));
}

TEST(JsonDocument, AccessorsOfAnotherKindOrOfAbsentViewsThrow) {
    const std::vector<std::pair<Kind, std::function<void(JsonView)>>> accessors = {
        {Kind::Bool, [](JsonView v) { (void)v.as_bool(); }},
        {Kind::Unsigned, [](JsonView v) { (void)v.as_unsigned(); }},
        {Kind::Negative, [](JsonView v) { (void)v.as_negative(); }},
        {Kind::Float, [](JsonView v) { (void)v.as_float(); }},
        {Kind::String, [](JsonView v) { (void)v.as_string(); }},
        {Kind::Array, [](JsonView v) { (void)v.as_array(); }},
        {Kind::Object, [](JsonView v) { (void)v.as_object(); }},
    };
    const JsonDocument doc =
        read_json_document(R"({"null":null,"bool":false,"u":7,"n":-7,"f":7.5,"s":"","a":[],"o":{}})");
    for (const JsonMemberView member : doc.root().as_object()) {
        for (const auto& [kind, access] : accessors) {
            if (kind == member.value.kind()) {
                EXPECT_NO_THROW(access(member.value)) << member.key;
            } else {
                EXPECT_THROW(access(member.value), InternalFailure) << member.key;
            }
        }
        if (member.value.is_number()) {
            EXPECT_NO_THROW((void)member.value.number_as_double());
        } else {
            EXPECT_THROW((void)member.value.number_as_double(), InternalFailure) << member.key;
        }
    }
    const JsonView absent = doc.root().member("missing");
    EXPECT_FALSE(absent);
    EXPECT_FALSE(absent.is_null() || absent.is_bool() || absent.is_number() || absent.is_string() ||
                 absent.is_array() || absent.is_object());
    for (const auto& accessor : accessors) EXPECT_THROW(accessor.second(absent), InternalFailure);
    EXPECT_THROW((void)absent.number_as_double(), InternalFailure);
    EXPECT_THROW((void)absent.to_value(), InternalFailure);
    EXPECT_THROW((void)to_json(absent), InternalFailure);
    EXPECT_FALSE(JsonView());
}

TEST(JsonDocument, DefaultAndMovedFromDocumentsAreEmpty) {
    JsonDocument read = read_json_document(R"({"a":[1,"b"]})");
    const JsonDocument moved = std::move(read);
    JsonDocument assigned;
    assigned = read_json_document("[true]");
    EXPECT_EQ(to_json(moved), R"({"a":[1,"b"]})");
    EXPECT_EQ(to_json(assigned), "[true]");
    const JsonDocument empty;
    for (const JsonDocument* doc : {static_cast<const JsonDocument*>(&read), &empty}) {
        EXPECT_TRUE(doc->root().is_null());
        EXPECT_EQ(to_json(doc->root()), "null");
        EXPECT_EQ(to_json(*doc), "null");
        EXPECT_TRUE(doc->root().to_value() == JsonValue());
        EXPECT_EQ(doc->entry_count(), 0u);
        EXPECT_EQ(doc->text_size(), 0u);
    }
}

TEST(JsonDocument, StringsAreDecodedAndWrittenAsTheTreeWritesThem) {
    const struct {
        const char* text;
        std::string decoded;
    } cases[] = {
        {R"("\n\"\\\/\b\f\r\t")", "\n\"\\/\b\f\r\t"},
        {R"("\u0000\u001F\u001f\u0020")", std::string("\0\x1f\x1f ", 4)},
        {R"("\ud83d\ude00\u00e9é\u20AC")", "\xf0\x9f\x98\x80\xc3\xa9\xc3\xa9\xe2\x82\xac"},
        {R"("a long string of more than sixteen bytes\twith an escape near its end")",
         "a long string of more than sixteen bytes\twith an escape near its end"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(difference(c.text), "") << c.text;
        const JsonDocument doc = read_json_document(c.text);
        EXPECT_EQ(doc.root().as_string(), c.decoded) << c.text;
        EXPECT_EQ(to_json(doc.root()), to_json(JsonValue::string(c.decoded))) << c.text;
    }
    // Every ASCII byte escaped, at every place around a 16-byte block, as a
    // value and as a key.
    TextGen gen(25);
    for (int c = 0; c < 0x80; ++c) {
        for (std::size_t before = 0; before <= 18; before += 3) {
            const std::string decoded = std::string(before, 'x') + static_cast<char>(c) + std::string(18 - before, 'y');
            const std::string text = gen.string(decoded);
            ASSERT_EQ(difference(text), "") << text;
            ASSERT_EQ(difference("{" + text + ":" + text + "}"), "") << text;
            ASSERT_EQ(read_json_document(text).root().as_string(), decoded) << text;
        }
    }
}

// Short strings are copied as 16-byte blocks: strings that end the text,
// empty texts and empty strings must not be read past (under a sanitizer).
TEST(JsonDocument, StringsAtTheEndOfTheText) {
    for (const char* text : {"", " ", "\"", "\"\"", "{\"\":\"\"}", "[\"\"]", "{\"", "\"\\u00"})
        EXPECT_EQ(difference(text), "") << text;
    for (std::size_t n = 0; n <= 40; ++n) {
        const std::string plain(n, 'q');
        const std::string escaped = plain + "\\n";
        for (const std::string& body : {plain, escaped}) {
            for (const std::string& text : {"\"" + body + "\"", "{\"" + body + "\":\"" + body + "\"}",
                                            "[\"" + body + "\"]", "\"" + body}) {
                ASSERT_EQ(difference(text), "") << text;
            }
        }
    }
}

}  // namespace
