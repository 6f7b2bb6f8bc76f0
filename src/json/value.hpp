#pragma once
// The editable JSON value of the option documents the module builds.
//
// A JsonValue owns its whole tree: copying is a deep copy, moving is cheap and
// leaves the source null. Objects keep their members in insertion order and
// find them by scanning (they hold a handful). Numbers keep their kind: an
// unsigned integer, a negative integer or a finite double; the kind decides
// the text form written by the writer.
//
// Recursion: copying and destroying a value recurse once per level of
// nesting; the documents the module builds are a handful of levels deep.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace tessel::json {

// The order of the alternatives of JsonValue's storage.
enum class Kind : std::uint8_t { Null, Bool, Unsigned, Negative, Float, String, Array, Object };

// The word that names a kind in messages: "null", "boolean", "number",
// "string", "array" or "object" (all three number kinds give "number").
std::string_view kind_name(Kind kind) noexcept;
// Finer, with the three number kinds apart: "an unsigned integer", "a
// negative integer", "a float", "null", "a boolean", "a string", "an array",
// "an object".
std::string_view kind_description(Kind kind) noexcept;

class JsonValue;
struct JsonMember;
using JsonArray = std::vector<JsonValue>;

class JsonObject {
public:
    // Adopts the members as they are: their keys must be distinct.
    static JsonObject from_members(std::vector<JsonMember> members);

    std::size_t size() const noexcept;

    JsonValue* find(std::string_view key) noexcept;
    // The member's value, appended as null when there is none.
    JsonValue& member_or_insert(std::string_view key);
    // Replaces the member's value in its place, or appends the member.
    JsonValue& insert_or_assign(std::string_view key, JsonValue value);

    const JsonMember* begin() const noexcept;
    const JsonMember* end() const noexcept;

private:
    std::vector<JsonMember> members_;
};

class JsonValue {
public:
    JsonValue() noexcept = default;
    JsonValue(JsonValue&& other) noexcept;
    JsonValue& operator=(JsonValue&& other) noexcept;
    JsonValue(const JsonValue&) = default;
    JsonValue& operator=(const JsonValue&) = default;

    static JsonValue boolean(bool b) noexcept;
    static JsonValue from_unsigned(std::uint64_t u) noexcept;
    // A value of 0 or more gives the unsigned kind, a value below 0 the negative kind.
    static JsonValue from_signed(std::int64_t i) noexcept;
    // A finite x gives the float kind; NaN and the infinities give null.
    static JsonValue from_double(double x) noexcept;
    static JsonValue string(std::string_view s);
    static JsonValue array(JsonArray a) noexcept;
    static JsonValue object(JsonObject o) noexcept;

    Kind kind() const noexcept { return static_cast<Kind>(storage_.index()); }

    // The typed accessors require the matching kind; on any other kind they
    // throw tessel::InternalFailure.
    bool as_bool() const { return get<1>(); }
    std::uint64_t as_unsigned() const { return get<2>(); }
    std::int64_t as_negative() const { return get<3>(); }
    double as_float() const { return get<4>(); }
    const std::string& as_string() const { return get<5>(); }
    const JsonArray& as_array() const { return get<6>(); }
    JsonArray& as_array() { return get<6>(); }
    const JsonObject& as_object() const { return get<7>(); }
    JsonObject& as_object() { return get<7>(); }

private:
    using Storage = std::variant<std::nullptr_t, bool, std::uint64_t, std::int64_t, double, std::string, JsonArray,
                                 JsonObject>;
    explicit JsonValue(Storage storage) noexcept;

    template <std::size_t I>
    const std::variant_alternative_t<I, Storage>& get() const {
        if (storage_.index() != I) wrong_kind(static_cast<Kind>(I));
        return *std::get_if<I>(&storage_);
    }
    template <std::size_t I>
    std::variant_alternative_t<I, Storage>& get() {
        if (storage_.index() != I) wrong_kind(static_cast<Kind>(I));
        return *std::get_if<I>(&storage_);
    }
    [[noreturn]] void wrong_kind(Kind wanted) const;

    Storage storage_;
};

struct JsonMember {
    std::string key;
    JsonValue value;
};

// What makes, moves, destroys or measures a list of members is defined here,
// where a member is a complete type: the list's operations are constexpr, and
// clang instantiates those where they are first used.
inline std::size_t JsonObject::size() const noexcept { return members_.size(); }
inline const JsonMember* JsonObject::begin() const noexcept { return members_.data(); }
inline const JsonMember* JsonObject::end() const noexcept { return members_.data() + members_.size(); }

inline JsonValue::JsonValue(Storage storage) noexcept : storage_(std::move(storage)) {}
inline JsonValue::JsonValue(JsonValue&& other) noexcept : storage_(std::move(other.storage_)) {
    other.storage_ = nullptr;
}
inline JsonValue& JsonValue::operator=(JsonValue&& other) noexcept {
    // `other` may live inside this value's tree: take it out first.
    Storage taken(std::move(other.storage_));
    other.storage_ = nullptr;
    storage_ = std::move(taken);
    return *this;
}
inline JsonValue JsonValue::boolean(bool b) noexcept { return JsonValue(Storage(std::in_place_index<1>, b)); }
inline JsonValue JsonValue::from_unsigned(std::uint64_t u) noexcept {
    return JsonValue(Storage(std::in_place_index<2>, u));
}
inline JsonValue JsonValue::from_signed(std::int64_t i) noexcept {
    if (i >= 0) return from_unsigned(static_cast<std::uint64_t>(i));
    return JsonValue(Storage(std::in_place_index<3>, i));
}
inline JsonValue JsonValue::from_double(double x) noexcept {
    if (!(x - x == 0.0)) return JsonValue();
    return JsonValue(Storage(std::in_place_index<4>, x));
}
inline JsonValue JsonValue::string(std::string_view s) { return JsonValue(Storage(std::in_place_index<5>, s)); }
inline JsonValue JsonValue::array(JsonArray a) noexcept { return JsonValue(Storage(std::in_place_index<6>, std::move(a))); }
inline JsonValue JsonValue::object(JsonObject o) noexcept { return JsonValue(Storage(std::in_place_index<7>, std::move(o))); }

}  // namespace tessel::json
