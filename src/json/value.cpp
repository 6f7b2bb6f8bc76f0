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

JsonString& JsonString::operator+=(std::string_view more) {
    std::string joined(view());
    joined += more;
    *this = JsonString(joined);
    return *this;
}

// ---------------------------------------------------------------------------
// Key index: linear probing over a power-of-two table; each slot keeps the
// key's hash and the member position plus one (0 marks an empty slot).
// Deletion shifts the following cluster back, so there are no tombstones.

namespace detail {

class KeyIndex {
public:
    // Indexes members with distinct keys.
    explicit KeyIndex(const std::vector<JsonMember>& members) : KeyIndex(members.size()) {
        for (std::size_t i = 0; i < members.size(); ++i) put(hash(members[i].key), i);
    }

    // Room for `count` members, none indexed yet.
    explicit KeyIndex(std::size_t count) {
        std::size_t capacity = 16;
        while (capacity < count * 2 + 2) capacity *= 2;
        slots_.assign(capacity, Slot{});
    }

    static std::size_t hash(std::string_view key) noexcept {
        return std::hash<std::string_view>{}(key);
    }

    // The member position of the key, or members.size() when absent.
    std::size_t find(std::string_view key, const std::vector<JsonMember>& members) const noexcept {
        const std::size_t h = hash(key);
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t i = h & mask;; i = (i + 1) & mask) {
            const Slot& slot = slots_[i];
            if (slot.position_plus_one == 0) return members.size();
            if (slot.hash == h && members[slot.position_plus_one - 1].key == key) {
                return slot.position_plus_one - 1;
            }
        }
    }

    void add(std::string_view key, std::size_t position) {
        if ((count_ + 1) * 2 > slots_.size()) grow();
        put(hash(key), position);
    }

    // Adds the member at `position` unless an earlier one has the same key;
    // false in that case.
    bool add_if_new(const std::vector<JsonMember>& members, std::size_t position) {
        if (find(members[position].key, members) != members.size()) return false;
        add(members[position].key, position);
        return true;
    }

    // Forgets the member at `position` (whose key is `key`).
    void erase(std::string_view key, std::size_t position) noexcept {
        std::size_t i = slot_of(hash(key), position);
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t j = (i + 1) & mask; slots_[j].position_plus_one != 0; j = (j + 1) & mask) {
            const std::size_t home = slots_[j].hash & mask;
            // Slot j may move back to i when its home is not cyclically in (i, j].
            const bool stays = i <= j ? (i < home && home <= j) : (i < home || home <= j);
            if (!stays) {
                slots_[i] = slots_[j];
                i = j;
            }
        }
        slots_[i] = Slot{};
        --count_;
    }

    // The member with key `key` moved from position `from` to position `to`.
    void moved(std::string_view key, std::size_t from, std::size_t to) noexcept {
        slots_[slot_of(hash(key), from)].position_plus_one = to + 1;
    }

private:
    struct Slot {
        std::size_t hash = 0;
        std::size_t position_plus_one = 0;
    };

    void put(std::size_t h, std::size_t position) noexcept {
        const std::size_t mask = slots_.size() - 1;
        std::size_t i = h & mask;
        while (slots_[i].position_plus_one != 0) i = (i + 1) & mask;
        slots_[i] = Slot{h, position + 1};
        ++count_;
    }

    std::size_t slot_of(std::size_t h, std::size_t position) const noexcept {
        const std::size_t mask = slots_.size() - 1;
        std::size_t i = h & mask;
        while (slots_[i].position_plus_one != position + 1) i = (i + 1) & mask;
        return i;
    }

    void grow() {
        std::vector<Slot> old(slots_.size() * 2);
        old.swap(slots_);
        count_ = 0;
        for (const Slot& slot : old) {
            if (slot.position_plus_one != 0) put(slot.hash, slot.position_plus_one - 1);
        }
    }

    std::vector<Slot> slots_;
    std::size_t count_ = 0;
};

}  // namespace detail

// ---------------------------------------------------------------------------
// JsonObject

namespace {
// Objects up to this size are searched by comparing keys in order.
constexpr std::size_t kLinearScanLimit = 16;
}  // namespace

JsonObject::JsonObject() noexcept = default;
JsonObject::JsonObject(JsonObject&& other) noexcept = default;
JsonObject& JsonObject::operator=(JsonObject&& other) noexcept = default;
JsonObject::~JsonObject() = default;

JsonObject::JsonObject(const JsonObject& other)
    : members_(other.members_),
      index_(other.index_ ? std::make_unique<detail::KeyIndex>(*other.index_) : nullptr) {}

JsonObject& JsonObject::operator=(const JsonObject& other) {
    if (this != &other) {
        JsonObject copy(other);
        *this = std::move(copy);
    }
    return *this;
}

void JsonObject::reserve(std::size_t capacity) {
    members_.reserve(capacity);
}

JsonObject JsonObject::from_members(std::vector<JsonMember> members, Keys keys) {
    JsonObject object;
    object.members_ = std::move(members);  // adopted whole, not member by member
    object.settle_members(keys);
    return object;
}

void JsonObject::settle_members(Keys keys) {
    if (keys == Keys::Distinct) {
        if (members_.size() > kLinearScanLimit) index_ = std::make_unique<detail::KeyIndex>(members_);
        return;
    }
    if (members_.size() > kLinearScanLimit) {
        index_ = std::make_unique<detail::KeyIndex>(members_.size());
        bool distinct = true;
        for (std::size_t i = 0; i < members_.size() && distinct; ++i) distinct = index_->add_if_new(members_, i);
        if (distinct) return;
    } else if (!has_repeated_key()) {
        return;
    }
    // Some key repeats (rare): insert one by one.
    std::vector<JsonMember> given = std::move(members_);
    members_.clear();
    index_.reset();
    for (JsonMember& member : given) insert_or_assign(member.key, std::move(member.value));
}

// For objects small enough to scan. A 64-bit mask of cheap key signatures
// rules out most pairs before any comparison.
bool JsonObject::has_repeated_key() const {
    std::uint64_t seen = 0;
    for (std::size_t i = 0; i < members_.size(); ++i) {
        const std::string_view key = members_[i].key;
        const std::uint64_t bit = key_bit(key);
        if ((seen & bit) != 0) {
            for (std::size_t j = 0; j < i; ++j) {
                if (members_[j].key == key) return true;
            }
        }
        seen |= bit;
    }
    return false;
}

std::size_t JsonObject::position_of(std::string_view key) const noexcept {
    if (index_) return index_->find(key, members_);
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
    if (index_) {
        index_->add(members_.back().key, members_.size() - 1);
    } else if (members_.size() > kLinearScanLimit) {
        index_ = std::make_unique<detail::KeyIndex>(members_);
    }
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
    if (index_) {
        index_->erase(members_[i].key, i);
        if (i != last) index_->moved(members_[last].key, last, i);
    }
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
