#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "common/errors.hpp"
#include "json/value.hpp"
#include "json/writer.hpp"

namespace {

using tessel::json::JsonArray;
using tessel::json::JsonMember;
using tessel::json::JsonObject;
using tessel::json::JsonString;
using tessel::json::JsonValue;
using tessel::json::Kind;
using tessel::json::kind_name;
using tessel::json::to_json;

std::vector<std::string> keys_of(const JsonObject& object) {
    std::vector<std::string> keys;
    for (const JsonMember& member : object) keys.push_back(member.key.str());
    return keys;
}

JsonObject object_of(std::initializer_list<std::pair<const char*, int>> members) {
    JsonObject object;
    for (const auto& [key, value] : members)
        object.insert_or_assign(key, JsonValue::from_signed(value));
    return object;
}

TEST(JsonValue, KindNames) {
    EXPECT_EQ(kind_name(Kind::Null), "null");
    EXPECT_EQ(kind_name(Kind::Bool), "boolean");
    EXPECT_EQ(kind_name(Kind::Unsigned), "number");
    EXPECT_EQ(kind_name(Kind::Negative), "number");
    EXPECT_EQ(kind_name(Kind::Float), "number");
    EXPECT_EQ(kind_name(Kind::String), "string");
    EXPECT_EQ(kind_name(Kind::Array), "array");
    EXPECT_EQ(kind_name(Kind::Object), "object");
}

TEST(JsonValue, NumberKindsFromConstructors) {
    EXPECT_EQ(JsonValue::from_signed(0).kind(), Kind::Unsigned);
    EXPECT_EQ(JsonValue::from_signed(5).as_unsigned(), 5u);
    EXPECT_EQ(JsonValue::from_signed(-1).kind(), Kind::Negative);
    EXPECT_EQ(JsonValue::from_signed(std::numeric_limits<std::int64_t>::min()).as_negative(),
              std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(JsonValue::from_unsigned(std::numeric_limits<std::uint64_t>::max()).as_unsigned(),
              std::numeric_limits<std::uint64_t>::max());

    EXPECT_EQ(JsonValue::from_double(1.0).kind(), Kind::Float);
    EXPECT_TRUE(std::signbit(JsonValue::from_double(-0.0).as_float()));
    EXPECT_TRUE(JsonValue::from_double(std::nan("")).is_null());
    EXPECT_TRUE(JsonValue::from_double(std::numeric_limits<double>::infinity()).is_null());
    EXPECT_TRUE(JsonValue::from_double(-std::numeric_limits<double>::infinity()).is_null());
}

TEST(JsonValue, NumberAsDouble) {
    EXPECT_EQ(JsonValue::from_unsigned(3).number_as_double(), 3.0);
    EXPECT_EQ(JsonValue::from_signed(-3).number_as_double(), -3.0);
    EXPECT_EQ(JsonValue::from_double(2.5).number_as_double(), 2.5);
    EXPECT_EQ(
        JsonValue::from_unsigned(std::numeric_limits<std::uint64_t>::max()).number_as_double(),
        18446744073709551616.0);
    EXPECT_THROW(JsonValue::string("1").number_as_double(), tessel::InternalFailure);
}

TEST(JsonValue, PredicatesFollowKind) {
    const JsonValue values[] = {JsonValue(),
                                JsonValue::boolean(true),
                                JsonValue::from_unsigned(1),
                                JsonValue::from_signed(-1),
                                JsonValue::from_double(0.5),
                                JsonValue::string("s"),
                                JsonValue::array(),
                                JsonValue::object()};
    for (const JsonValue& v : values) {
        EXPECT_EQ(v.is_null(), v.kind() == Kind::Null);
        EXPECT_EQ(v.is_bool(), v.kind() == Kind::Bool);
        EXPECT_EQ(v.is_number(), v.kind() == Kind::Unsigned || v.kind() == Kind::Negative ||
                                     v.kind() == Kind::Float);
        EXPECT_EQ(v.is_string(), v.kind() == Kind::String);
        EXPECT_EQ(v.is_array(), v.kind() == Kind::Array);
        EXPECT_EQ(v.is_object(), v.kind() == Kind::Object);
    }
}

TEST(JsonValue, WrongKindAccessThrowsInternalFailure) {
    const JsonValue s = JsonValue::string("x");
    EXPECT_THROW(s.as_bool(), tessel::InternalFailure);
    EXPECT_THROW(s.as_unsigned(), tessel::InternalFailure);
    EXPECT_THROW(s.as_negative(), tessel::InternalFailure);
    EXPECT_THROW(s.as_float(), tessel::InternalFailure);
    EXPECT_THROW(s.as_array(), tessel::InternalFailure);
    EXPECT_THROW(s.as_object(), tessel::InternalFailure);
    EXPECT_THROW(JsonValue().as_string(), tessel::InternalFailure);
    // Integers are not floats and the reverse.
    EXPECT_THROW(JsonValue::from_unsigned(1).as_float(), tessel::InternalFailure);
    EXPECT_THROW(JsonValue::from_double(1.0).as_unsigned(), tessel::InternalFailure);
    try {
        JsonValue::from_double(1.0).as_unsigned();
    } catch (const tessel::InternalFailure& e) {
        EXPECT_STREQ(e.what(), "JSON value is a float, not an unsigned integer");
    }
}

TEST(JsonValue, MemberLooksIntoObjectsOnly) {
    JsonValue v = JsonValue::object(object_of({{"a", 1}}));
    ASSERT_NE(v.member("a"), nullptr);
    EXPECT_EQ(v.member("a")->as_unsigned(), 1u);
    EXPECT_EQ(v.member("b"), nullptr);
    EXPECT_EQ(JsonValue().member("a"), nullptr);
    EXPECT_EQ(JsonValue::array().member("a"), nullptr);
    EXPECT_EQ(JsonValue::string("a").member("a"), nullptr);
}

TEST(JsonObject, InsertOrAssignKeepsPositionAndAppendsNewKeys) {
    JsonObject object = object_of({{"b", 1}, {"a", 2}, {"c", 3}});
    object.insert_or_assign("a", JsonValue::string("two"));
    object.insert_or_assign("d", JsonValue());
    EXPECT_EQ(keys_of(object), (std::vector<std::string>{"b", "a", "c", "d"}));
    EXPECT_EQ(object.find("a")->as_string(), "two");
    EXPECT_TRUE(object.find("d")->is_null());
    EXPECT_EQ(object.size(), 4u);
}

TEST(JsonObject, MemberOrInsertAppendsNull) {
    JsonObject object = object_of({{"x", 1}});
    JsonValue& existing = object.member_or_insert("x");
    EXPECT_EQ(existing.as_unsigned(), 1u);
    JsonValue& created = object.member_or_insert("y");
    EXPECT_TRUE(created.is_null());
    created = JsonValue::boolean(true);
    EXPECT_EQ(to_json(JsonValue::object(object)), R"({"x":1,"y":true})");
}

TEST(JsonObject, RemoveMovesLastMemberIntoTheHole) {
    JsonObject object =
        object_of({{"color", 1}, {"type", 2}, {"width", 3}, {"cap", 4}, {"join", 5}});
    EXPECT_TRUE(object.remove_moving_last("type"));
    EXPECT_EQ(keys_of(object), (std::vector<std::string>{"color", "join", "width", "cap"}));
    EXPECT_EQ(object.find("join")->as_unsigned(), 5u);
    EXPECT_FALSE(object.remove_moving_last("type"));
    EXPECT_TRUE(object.remove_moving_last("cap"));  // the last member itself
    EXPECT_EQ(keys_of(object), (std::vector<std::string>{"color", "join", "width"}));
    EXPECT_FALSE(JsonObject().remove_moving_last("x"));
}

TEST(JsonObject, FromMembersSettlesRepeatedKeys) {
    for (const int size : {3, 40}) {  // scanned and indexed objects
        std::vector<JsonMember> members;
        for (int i = 0; i < size; ++i) {
            members.push_back({JsonString("k" + std::to_string(i)), JsonValue::from_signed(i)});
        }
        members.push_back({JsonString("k1"), JsonValue::string("last")});
        members.push_back({JsonString("new"), JsonValue()});
        members.push_back({JsonString("k0"), JsonValue::boolean(false)});
        const JsonObject object = JsonObject::from_members(std::move(members));
        ASSERT_EQ(object.size(), static_cast<std::size_t>(size) + 1);
        EXPECT_EQ(object.begin()[0].key, "k0");
        EXPECT_FALSE(object.begin()[0].value.as_bool());
        EXPECT_EQ(object.begin()[1].value.as_string(), "last");
        EXPECT_EQ(object.begin()[size].key, "new");
        EXPECT_EQ(object.find("k2")->as_unsigned(), 2u);
    }
}

// Edits of objects small enough to scan and large enough to be indexed,
// checked against a plain ordered list.
TEST(JsonObject, RandomEditsMatchAnOrderedListModel) {
    std::mt19937 rng(12345);
    for (int round = 0; round < 60; ++round) {
        const int key_space = round % 2 == 0 ? 12 : 80;
        JsonObject object;
        std::vector<std::pair<std::string, int>> model;
        for (int step = 0; step < 400; ++step) {
            const std::string key = "key" + std::to_string(rng() % key_space);
            const int op = static_cast<int>(rng() % 4);
            auto it = std::find_if(model.begin(), model.end(),
                                   [&](const auto& m) { return m.first == key; });
            if (op <= 1) {
                const int value = static_cast<int>(rng() % 1000);
                object.insert_or_assign(key, JsonValue::from_signed(value));
                if (it != model.end()) {
                    it->second = value;
                } else {
                    model.emplace_back(key, value);
                }
            } else if (op == 2) {
                JsonValue& slot = object.member_or_insert(key);
                if (it == model.end()) {
                    EXPECT_TRUE(slot.is_null());
                    slot = JsonValue::from_signed(-1);
                    model.emplace_back(key, -1);
                }
            } else {
                const bool removed = object.remove_moving_last(key);
                EXPECT_EQ(removed, it != model.end());
                if (it != model.end()) {
                    *it = model.back();
                    model.pop_back();
                }
            }
            ASSERT_EQ(object.size(), model.size());
            std::size_t i = 0;
            for (const JsonMember& member : object) {
                ASSERT_EQ(member.key, model[i].first);
                ASSERT_EQ(member.value.number_as_double(), model[i].second);
                ++i;
            }
        }
        for (int k = 0; k < key_space; ++k) {
            const std::string key = "key" + std::to_string(k);
            const bool in_model = std::any_of(model.begin(), model.end(),
                                              [&](const auto& m) { return m.first == key; });
            EXPECT_EQ(object.find(key) != nullptr, in_model);
        }
        const JsonObject copy = object;
        EXPECT_TRUE(copy == object);
        for (const auto& [key, value] : model) EXPECT_EQ(copy.find(key)->number_as_double(), value);
    }
}

TEST(JsonValue, CopyIsDeepAndIndependent) {
    JsonObject inner = object_of({{"n", 1}});
    JsonArray items;
    items.push_back(JsonValue::object(inner));
    items.push_back(JsonValue::string("text"));
    JsonObject root;
    root.insert_or_assign("items", JsonValue::array(std::move(items)));
    const JsonValue original = JsonValue::object(std::move(root));

    JsonValue copy = original;
    EXPECT_TRUE(copy == original);
    copy.as_object().find("items")->as_array()[0].as_object().insert_or_assign("n", JsonValue());
    copy.as_object().find("items")->as_array()[1].as_string() += "!";
    EXPECT_EQ(to_json(original), R"({"items":[{"n":1},"text"]})");
    EXPECT_EQ(to_json(copy), R"({"items":[{"n":null},"text!"]})");
}

// Text up to 15 bytes lives inside the handle, longer text in a buffer: the
// two forms must hold any bytes, compare and copy alike, and move as a plain
// copy that leaves the source empty.
TEST(JsonString, InlineAndBufferedTextBehaveAlike) {
    for (const std::size_t n : {0u, 1u, 14u, 15u, 16u, 17u, 100u, 5000u}) {
        std::string text(n, 'a');
        for (std::size_t i = 0; i < n; ++i) text[i] = static_cast<char>(i % 7 == 3 ? '\0' : 'a' + i % 26);
        const JsonString s(text);
        EXPECT_EQ(s.size(), n);
        EXPECT_EQ(s.view(), text);
        EXPECT_EQ(s.str(), text);
        JsonString copy = s;
        EXPECT_TRUE(copy == s);
        JsonString moved = std::move(copy);
        EXPECT_EQ(moved.view(), text);
        EXPECT_TRUE(copy.empty());  // NOLINT: the moved-from state is specified
        JsonString assigned("x");
        assigned = moved;
        EXPECT_EQ(assigned.view(), text);
        assigned.assign("short");
        EXPECT_EQ(assigned.view(), "short");
        assigned.assign(text);
        EXPECT_EQ(assigned.view(), text);
        assigned += "!";
        EXPECT_EQ(assigned.view(), text + "!");
        EXPECT_FALSE(assigned == s);
        // From inside a larger buffer (bytes after the text are read along,
        // never kept), and with the buffer ending right after the text.
        const std::string buffer = text + "\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff";
        for (const std::size_t readable : {n, n + 16}) {
            JsonString within("y");
            within.assign_within(std::string_view(buffer.data(), n), buffer.data() + readable);
            EXPECT_EQ(within.view(), text);
            EXPECT_TRUE(within == s);
            EXPECT_EQ(JsonString(within).view(), text);
        }
    }
}

TEST(JsonValue, MoveLeavesNull) {
    JsonValue a = JsonValue::string("long enough to live on the heap, surely");
    JsonValue b = std::move(a);
    EXPECT_TRUE(a.is_null());  // NOLINT(bugprone-use-after-move)
    EXPECT_EQ(b.as_string(), "long enough to live on the heap, surely");
    JsonValue c = JsonValue::from_unsigned(7);
    b = std::move(c);
    EXPECT_TRUE(c.is_null());  // NOLINT(bugprone-use-after-move)
    EXPECT_EQ(b.as_unsigned(), 7u);
}

TEST(JsonValue, AssigningAPartOfItselfKeepsThePart) {
    JsonArray items;
    items.push_back(JsonValue::array({JsonValue::string("deep"), JsonValue::from_unsigned(1)}));
    JsonValue v = JsonValue::array(std::move(items));
    v = v.as_array()[0];  // copy from inside
    EXPECT_EQ(to_json(v), R"(["deep",1])");
    v = std::move(v.as_array()[0]);  // move from inside
    EXPECT_EQ(v.as_string(), "deep");
}

TEST(JsonValue, EqualityComparesKindsAndFloatBits) {
    EXPECT_FALSE(JsonValue::from_unsigned(1) == JsonValue::from_double(1.0));
    EXPECT_FALSE(JsonValue::from_double(0.0) == JsonValue::from_double(-0.0));
    EXPECT_TRUE(JsonValue::from_double(0.5) == JsonValue::from_double(0.5));
    EXPECT_FALSE(JsonValue::object(object_of({{"a", 1}, {"b", 2}})) ==
                 JsonValue::object(object_of({{"b", 2}, {"a", 1}})));
}

// Building, copying and dropping deep trees stays within the stack (the
// reader bounds nesting at 127; a few levels more are harmless).
TEST(JsonValue, DeepTreesCopyAndDrop) {
    JsonValue v = JsonValue::from_unsigned(1);
    for (int i = 0; i < 200; ++i) {
        JsonArray wrapper;
        wrapper.push_back(std::move(v));
        v = JsonValue::array(std::move(wrapper));
    }
    const JsonValue copy = v;
    EXPECT_TRUE(copy == v);
}

}  // namespace
