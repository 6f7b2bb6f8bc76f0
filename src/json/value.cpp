#include "json/value.hpp"

#include <string>
#include <utility>

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


JsonObject JsonObject::from_members(std::vector<JsonMember> members) {
    JsonObject object;
    object.members_ = std::move(members);  // adopted whole, not member by member
    return object;
}

JsonValue* JsonObject::find(std::string_view key) noexcept {
    for (JsonMember& member : members_) {
        if (member.key == key) return &member.value;
    }
    return nullptr;
}

JsonValue& JsonObject::member_or_insert(std::string_view key) {
    if (JsonValue* value = find(key)) return *value;
    return members_.emplace_back(JsonMember{std::string(key), JsonValue()}).value;
}

JsonValue& JsonObject::insert_or_assign(std::string_view key, JsonValue value) {
    JsonValue& target = member_or_insert(key);
    target = std::move(value);
    return target;
}

bool JsonObject::remove_moving_last(std::string_view key) {
    for (JsonMember& member : members_) {
        if (member.key != key) continue;
        if (&member != &members_.back()) member = std::move(members_.back());
        members_.pop_back();
        return true;
    }
    return false;
}

void JsonValue::wrong_kind(Kind wanted) const {
    std::string message = "JSON value is ";
    message += kind_description(kind());
    message += ", not ";
    message += kind_description(wanted);
    throw InternalFailure(message);
}

}  // namespace tessel::json
