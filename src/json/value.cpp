#include "json/value.hpp"

#include <algorithm>
#include <bit>
#include <cstring>
#include <functional>
#include <new>
#include <stdexcept>

#include "common/errors.hpp"

namespace tessel::json {

std::string_view kind_name(Kind kind) noexcept {
    switch (kind) {
        case Kind::Null:
            return "null";
        case Kind::Bool:
            return "boolean";
        case Kind::Unsigned:
        case Kind::Negative:
        case Kind::Float:
            return "number";
        case Kind::String:
            return "string";
        case Kind::Array:
            return "array";
        case Kind::Object:
            return "object";
    }
    return "null";
}

std::string_view kind_description(Kind kind) noexcept {
    switch (kind) {
        case Kind::Unsigned: return "an unsigned integer";
        case Kind::Negative: return "a negative integer";
        case Kind::Float: return "a float";
        case Kind::Null: return "null";
        case Kind::Bool: return "a boolean";
        case Kind::String: return "a string";
        case Kind::Array: return "an array";
        case Kind::Object: return "an object";
    }
    return "null";
}


// ---------------------------------------------------------------------------
// JsonString

void JsonString::assign_external(std::string_view text) {
    if (text.size() > kLengthMask) throw std::length_error("JSON string too long");
    char* const buffer = new char[text.size()];
    std::memcpy(buffer, text.data(), text.size());
    std::memcpy(bytes_, &buffer, sizeof buffer);
    const std::uint64_t word = static_cast<std::uint64_t>(text.size()) | (std::uint64_t{kExternal} << 56);
    std::memcpy(bytes_ + 8, &word, sizeof word);
}

JsonString& JsonString::operator=(const JsonString& other) {
    if (this != &other) *this = JsonString(other.view());
    return *this;
}

// ---------------------------------------------------------------------------
// JsonObject

JsonObject::JsonObject() noexcept = default;
JsonObject::JsonObject(const JsonObject& other) = default;
JsonObject::JsonObject(JsonObject&& other) noexcept = default;
JsonObject& JsonObject::operator=(const JsonObject& other) = default;
JsonObject& JsonObject::operator=(JsonObject&& other) noexcept = default;
JsonObject::~JsonObject() = default;

void JsonObject::reserve(std::size_t capacity) {
    members_.reserve(capacity);
}

JsonObject JsonObject::from_members(std::vector<JsonMember> members) {
    JsonObject object;
    object.members_ = std::move(members);  // adopted whole, not member by member
    return object;
}

std::size_t JsonObject::position_of(std::string_view key) const noexcept {
    const std::size_t n = members_.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (members_[i].key == key) return i;
    }
    return n;
}

JsonValue* JsonObject::find(std::string_view key) noexcept {
    const std::size_t i = position_of(key);
    return i < members_.size() ? &members_[i].value : nullptr;
}

const JsonValue* JsonObject::find(std::string_view key) const noexcept {
    const std::size_t i = position_of(key);
    return i < members_.size() ? &members_[i].value : nullptr;
}

JsonValue& JsonObject::append(std::string_view key, JsonValue&& value) {
    // Objects built member by member hold a handful of them: start with room
    // for eight rather than regrowing from one.
    if (members_.size() == members_.capacity()) members_.reserve(std::max<std::size_t>(8, 2 * members_.size()));
    members_.push_back(JsonMember{JsonString(key), std::move(value)});
    return members_.back().value;
}

JsonValue& JsonObject::member_or_insert(std::string_view key) {
    const std::size_t i = position_of(key);
    if (i < members_.size()) return members_[i].value;
    return append(key, JsonValue());
}

JsonValue& JsonObject::insert_or_assign(std::string_view key, JsonValue value) {
    const std::size_t i = position_of(key);
    if (i < members_.size()) {
        members_[i].value = std::move(value);
        return members_[i].value;
    }
    return append(key, std::move(value));
}

bool JsonObject::remove_moving_last(std::string_view key) {
    const std::size_t i = position_of(key);
    if (i == members_.size()) return false;
    const std::size_t last = members_.size() - 1;
    if (i != last) members_[i] = std::move(members_[last]);
    members_.pop_back();
    return true;
}

bool operator==(const JsonObject& a, const JsonObject& b) {
    return a.members_ == b.members_;
}

// ---------------------------------------------------------------------------
// JsonValue

void JsonValue::destroy_heap() noexcept {
    switch (kind_) {
        case Kind::String:
            string_.~JsonString();
            break;
        case Kind::Array:
            array_.~JsonArray();
            break;
        case Kind::Object:
            object_.~JsonObject();
            break;
        default:
            break;
    }
}

void JsonValue::move_object_from(JsonValue& other) noexcept {
    new (&object_) JsonObject(std::move(other.object_));
    other.object_.~JsonObject();
}

JsonValue::JsonValue(const JsonValue& other) : kind_(other.kind_) {
    switch (kind_) {
        case Kind::String:
            new (&string_) JsonString(other.string_);
            break;
        case Kind::Array:
            new (&array_) JsonArray(other.array_);
            break;
        case Kind::Object:
            new (&object_) JsonObject(other.object_);
            break;
        default:
            unsigned_ = other.unsigned_;
            break;
    }
}

JsonValue& JsonValue::operator=(const JsonValue& other) {
    if (this != &other) *this = JsonValue(other);  // `other` may live inside this tree
    return *this;
}

JsonValue& JsonValue::move_assign_heap(JsonValue& other) noexcept {
    if (this != &other) {
        // `other` may live inside this value's tree: take it out before dropping
        // the old content.
        JsonValue taken(std::move(other));
        this->~JsonValue();
        new (this) JsonValue(std::move(taken));
    }
    return *this;
}

void JsonValue::wrong_kind(Kind wanted) const { wrong_kind(kind_description(wanted)); }

void JsonValue::wrong_kind(std::string_view wanted) const {
    std::string message = "JSON value is ";
    message += kind_description(kind_);
    message += ", not ";
    message += wanted;
    throw InternalFailure(message);
}

double JsonValue::number_as_double() const {
    switch (kind_) {
        case Kind::Unsigned:
            return static_cast<double>(unsigned_);
        case Kind::Negative:
            return static_cast<double>(negative_);
        case Kind::Float:
            return float_;
        default:
            wrong_kind("a number");
    }
}

const JsonValue* JsonValue::member(std::string_view key) const noexcept {
    return kind_ == Kind::Object ? object_.find(key) : nullptr;
}

JsonValue* JsonValue::member(std::string_view key) noexcept {
    return kind_ == Kind::Object ? object_.find(key) : nullptr;
}

bool operator==(const JsonValue& a, const JsonValue& b) {
    if (a.kind_ != b.kind_) return false;
    switch (a.kind_) {
        case Kind::Null:
            return true;
        case Kind::Bool:
            return a.bool_ == b.bool_;
        case Kind::Unsigned:
            return a.unsigned_ == b.unsigned_;
        case Kind::Negative:
            return a.negative_ == b.negative_;
        case Kind::Float:
            return std::bit_cast<std::uint64_t>(a.float_) == std::bit_cast<std::uint64_t>(b.float_);
        case Kind::String:
            return a.string_ == b.string_;
        case Kind::Array:
            return a.array_ == b.array_;
        case Kind::Object:
            return a.object_ == b.object_;
    }
    return false;
}

}  // namespace tessel::json
