#pragma once
// The in-memory JSON value of every option document.
//
// A JsonValue owns its whole tree: copying is a deep copy, moving is cheap and
// leaves the source null. Objects keep their members in insertion order and
// find them by key through a hash index once they are large enough for it to
// pay (small objects are scanned). Numbers keep their kind: an unsigned
// integer, a negative integer or a finite double; the kind decides the text
// form written by the writer. Strings and member keys are JsonStrings:
// text of up to 15 bytes is kept in the value itself.
//
// Recursion: copying, comparing and destroying a value recurse once per level
// of nesting. Trees read from text are at most 127 levels deep (the reader's
// depth budget) and the documents the module builds itself are a handful of
// levels deep, so this recursion is bounded by about 130 frames.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tessel::json {

static_assert(std::endian::native == std::endian::little, "JsonString keeps its tag in its last byte");

enum class Kind : std::uint8_t { Null, Bool, Unsigned, Negative, Float, String, Array, Object };

// The word that names a kind in messages: "null", "boolean", "number",
// "string", "array" or "object" (all three number kinds give "number").
std::string_view kind_name(Kind kind) noexcept;
// Finer, with the three number kinds apart: "an unsigned integer", "a
// negative integer", "a float", "null", "a boolean", "a string", "an array",
// "an object".
std::string_view kind_description(Kind kind) noexcept;

// UTF-8 text owned by a value or a member key. Up to 15 bytes are kept inline
// and longer text in a buffer of its own; either way the 16 bytes of the
// handle relocate bitwise, so moving keys and strings is a plain copy.
class JsonString {
public:
    JsonString() noexcept : bytes_{} {}
    explicit JsonString(std::string_view text) : bytes_{} { assign_to_empty(text); }
    JsonString(const JsonString& other) : JsonString(other.view()) {}
    JsonString(JsonString&& other) noexcept {
        std::memcpy(bytes_, other.bytes_, sizeof bytes_);
        other.set_empty();
    }
    JsonString& operator=(const JsonString& other);
    JsonString& operator=(JsonString&& other) noexcept {
        if (this != &other) {
            release();
            std::memcpy(bytes_, other.bytes_, sizeof bytes_);
            other.set_empty();
        }
        return *this;
    }
    ~JsonString() { release(); }

    std::string_view view() const noexcept {
        if (bytes_[15] <= kInlineBytes) return {reinterpret_cast<const char*>(bytes_), bytes_[15]};
        return {external_data(), static_cast<std::size_t>(external_word() & kLengthMask)};
    }
    operator std::string_view() const noexcept { return view(); }
    const char* data() const noexcept { return view().data(); }
    std::size_t size() const noexcept { return view().size(); }
    bool empty() const noexcept { return size() == 0; }
    std::string str() const { return std::string(view()); }

    // The 16 bytes that hold inline text (its length in the last), which may
    // be loaded whole; nullptr for text in a buffer.
    const unsigned char* inline_block() const noexcept { return bytes_[15] <= kInlineBytes ? bytes_ : nullptr; }

    friend bool operator==(const JsonString& a, const JsonString& b) noexcept { return a.view() == b.view(); }
    friend bool operator==(const JsonString& a, std::string_view b) noexcept { return a.view() == b; }

private:
    static constexpr unsigned char kInlineBytes = 15;
    static constexpr unsigned char kExternal = 0xFF;
    static constexpr std::uint64_t kLengthMask = (std::uint64_t{1} << 56) - 1;

    void set_empty() noexcept { std::memset(bytes_, 0, sizeof bytes_); }
    // Short text inline here, long text through the out-of-line path.
    void assign_to_empty(std::string_view text) {
        if (text.size() > kInlineBytes) return assign_external(text);
        if (!text.empty()) std::memcpy(bytes_, text.data(), text.size());
        bytes_[15] = static_cast<unsigned char>(text.size());
    }
    void assign_external(std::string_view text);
    const char* external_data() const noexcept {
        const char* p;
        std::memcpy(&p, bytes_, sizeof p);
        return p;
    }
    std::uint64_t external_word() const noexcept {
        std::uint64_t w;
        std::memcpy(&w, bytes_ + 8, sizeof w);
        return w;
    }
    void release() noexcept {
        if (bytes_[15] == kExternal) delete[] external_data();
    }

    // Inline: bytes 0-14 hold the text, byte 15 its length. External: bytes
    // 0-7 the buffer, bytes 8-14 the length, byte 15 kExternal.
    alignas(8) unsigned char bytes_[16];
};

class JsonValue;
using JsonArray = std::vector<JsonValue>;
struct JsonMember;

// Insertion-ordered map from text keys to values. Keys are unique. The
// module's objects hold a handful of members each: keys are found by
// comparing them in order.
//
// References and pointers to member values stay valid until the next call
// that adds or removes a member (like those into a std::vector).
class JsonObject {
public:
    // Out of line: JsonMember is not complete here.
    JsonObject() noexcept;
    JsonObject(const JsonObject& other);
    JsonObject(JsonObject&& other) noexcept;
    JsonObject& operator=(const JsonObject& other);
    JsonObject& operator=(JsonObject&& other) noexcept;
    ~JsonObject();

    // An object of these members in this order (the list itself is adopted);
    // their keys must be distinct.
    static JsonObject from_members(std::vector<JsonMember> members);

    std::size_t size() const noexcept;
    bool empty() const noexcept;
    void reserve(std::size_t capacity);

    // The value of the member with this key, or nullptr.
    JsonValue* find(std::string_view key) noexcept;
    const JsonValue* find(std::string_view key) const noexcept;

    // The value of the member with this key; a missing member is first
    // appended with the value null.
    JsonValue& member_or_insert(std::string_view key);

    // Sets the member with this key: an existing member gets the new value in
    // its place, a new key is appended after the last member.
    JsonValue& insert_or_assign(std::string_view key, JsonValue value);

    // Removes the member with this key; the last member, when it is not the
    // removed one, moves into the removed member's position. False when the key
    // is absent.
    bool remove_moving_last(std::string_view key);

    // Members in order.
    JsonMember* begin() noexcept;
    JsonMember* end() noexcept;
    const JsonMember* begin() const noexcept;
    const JsonMember* end() const noexcept;

    // Same members in the same order with equal values.
    friend bool operator==(const JsonObject& a, const JsonObject& b);

private:
    std::size_t position_of(std::string_view key) const noexcept;  // size() when absent
    JsonValue& append(std::string_view key, JsonValue&& value);

    std::vector<JsonMember> members_;
};

class JsonValue {
public:
    JsonValue() noexcept : kind_(Kind::Null), unsigned_(0) {}
    JsonValue(const JsonValue& other);
    // Inline: readers and containers move values by the hundred thousand.
    JsonValue(JsonValue&& other) noexcept : kind_(other.kind_) {
        switch (kind_) {
            case Kind::String:
                new (&string_) JsonString(std::move(other.string_));
                other.string_.~JsonString();
                break;
            case Kind::Array:
                new (&array_) JsonArray(std::move(other.array_));
                other.array_.~JsonArray();
                break;
            case Kind::Object:
                move_object_from(other);
                break;
            default:
                unsigned_ = other.unsigned_;  // the scalars share their 8 bytes
                break;
        }
        other.kind_ = Kind::Null;
    }
    JsonValue& operator=(const JsonValue& other);
    JsonValue& operator=(JsonValue&& other) noexcept {
        if (owns_heap()) return move_assign_heap(other);
        // Nothing to drop here, and `other` cannot live inside a scalar.
        if (this != &other) new (this) JsonValue(std::move(other));
        return *this;
    }
    ~JsonValue() {
        if (owns_heap()) destroy_heap();
    }

    // The scalar makers are inline: the reader makes one per number.
    static JsonValue boolean(bool b) noexcept {
        JsonValue v;
        v.kind_ = Kind::Bool;
        v.bool_ = b;
        return v;
    }
    static JsonValue from_unsigned(std::uint64_t u) noexcept {
        JsonValue v;
        v.kind_ = Kind::Unsigned;
        v.unsigned_ = u;
        return v;
    }
    // A value of 0 or more gives the unsigned kind, a value below 0 the negative kind.
    static JsonValue from_signed(std::int64_t i) noexcept {
        if (i >= 0) return from_unsigned(static_cast<std::uint64_t>(i));
        JsonValue v;
        v.kind_ = Kind::Negative;
        v.negative_ = i;
        return v;
    }
    // A finite x gives the float kind; NaN and the infinities give null.
    static JsonValue from_double(double x) noexcept {
        JsonValue v;
        if (x - x == 0.0) {  // finite
            v.kind_ = Kind::Float;
            v.float_ = x;
        }
        return v;
    }
    static JsonValue string(std::string_view s) {
        JsonValue v;
        new (&v.string_) JsonString(s);
        v.kind_ = Kind::String;
        return v;
    }
    // Inline, so that a container made just before is not stored, then
    // reloaded at a different width (which stalls the store buffer).
    static JsonValue array(JsonArray a = {}) noexcept {
        JsonValue v;
        new (&v.array_) JsonArray(std::move(a));
        v.kind_ = Kind::Array;
        return v;
    }
    static JsonValue object(JsonObject o = {}) noexcept {
        JsonValue v;
        new (&v.object_) JsonObject(std::move(o));
        v.kind_ = Kind::Object;
        return v;
    }

    Kind kind() const noexcept { return kind_; }
    bool is_null() const noexcept { return kind_ == Kind::Null; }
    bool is_bool() const noexcept { return kind_ == Kind::Bool; }
    bool is_number() const noexcept {
        return kind_ == Kind::Unsigned || kind_ == Kind::Negative || kind_ == Kind::Float;
    }
    bool is_string() const noexcept { return kind_ == Kind::String; }
    bool is_array() const noexcept { return kind_ == Kind::Array; }
    bool is_object() const noexcept { return kind_ == Kind::Object; }

    // The typed accessors require the matching kind; on any other kind they
    // throw tessel::InternalFailure.
    bool as_bool() const {
        require(Kind::Bool);
        return bool_;
    }
    std::uint64_t as_unsigned() const {
        require(Kind::Unsigned);
        return unsigned_;
    }
    std::int64_t as_negative() const {
        require(Kind::Negative);
        return negative_;
    }
    double as_float() const {
        require(Kind::Float);
        return float_;
    }
    // Any number kind, converted to the nearest double.
    double number_as_double() const;
    const JsonString& as_string() const {
        require(Kind::String);
        return string_;
    }
    JsonString& as_string() {
        require(Kind::String);
        return string_;
    }
    JsonArray& as_array() {
        require(Kind::Array);
        return array_;
    }
    const JsonArray& as_array() const {
        require(Kind::Array);
        return array_;
    }
    JsonObject& as_object() {
        require(Kind::Object);
        return object_;
    }
    const JsonObject& as_object() const {
        require(Kind::Object);
        return object_;
    }

    // The value of the member with this key when this is an object that has
    // one; nullptr otherwise (also for every other kind).
    const JsonValue* member(std::string_view key) const noexcept;
    JsonValue* member(std::string_view key) noexcept;

    // Structural equality: same kind and content; floats compare by their bits
    // (so 0.0 and -0.0 differ), objects by their members in order.
    friend bool operator==(const JsonValue& a, const JsonValue& b);

private:
    // Strings, arrays and objects own memory; the other kinds are 8 plain bytes.
    bool owns_heap() const noexcept { return kind_ >= Kind::String; }
    void destroy_heap() noexcept;
    // Takes the object of `other`, leaving an empty shell that it destroys
    // (out of line: JsonObject is not complete here).
    void move_object_from(JsonValue& other) noexcept;
    JsonValue& move_assign_heap(JsonValue& other) noexcept;
    void require(Kind wanted) const {
        if (kind_ != wanted) wrong_kind(wanted);
    }
    [[noreturn]] void wrong_kind(Kind wanted) const;
    [[noreturn]] void wrong_kind(std::string_view wanted) const;

    Kind kind_;
    union {
        bool bool_;
        std::uint64_t unsigned_;
        std::int64_t negative_;
        double float_;
        JsonString string_;
        JsonArray array_;
        JsonObject object_;
    };
};

struct JsonMember {
    JsonString key;
    JsonValue value;

    friend bool operator==(const JsonMember& a, const JsonMember& b) {
        return a.key == b.key && a.value == b.value;
    }
};

inline std::size_t JsonObject::size() const noexcept {
    return members_.size();
}
inline bool JsonObject::empty() const noexcept {
    return members_.empty();
}
inline JsonMember* JsonObject::begin() noexcept {
    return members_.data();
}
inline JsonMember* JsonObject::end() noexcept {
    return members_.data() + members_.size();
}
inline const JsonMember* JsonObject::begin() const noexcept {
    return members_.data();
}
inline const JsonMember* JsonObject::end() const noexcept {
    return members_.data() + members_.size();
}

}  // namespace tessel::json
