#include "json/value.hpp"

#include <string>
#include <utility>

#include "common/errors.hpp"

namespace tessel::json {

std::string_view kind_name(Kind kind) noexcept {
    static constexpr std::string_view names[] = {"null", "boolean", "number", "number",
                                                 "number", "string", "array", "object"};
    return names[static_cast<int>(kind)];
}

std::string_view kind_description(Kind kind) noexcept {
    static constexpr std::string_view descriptions[] = {
        "null", "a boolean", "an unsigned integer", "a negative integer", "a float", "a string", "an array", "an object"};
    return descriptions[static_cast<int>(kind)];
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

void JsonValue::wrong_kind(Kind wanted) const {
    std::string message = "JSON value is ";
    message += kind_description(kind());
    message += ", not ";
    message += kind_description(wanted);
    throw InternalFailure(message);
}

}  // namespace tessel::json
