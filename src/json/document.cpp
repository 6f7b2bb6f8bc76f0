#include "json/document.hpp"

#include <algorithm>
#include <bit>
#include <cstring>

#include "common/errors.hpp"
#include "json/text_writer.hpp"

namespace tessel::json {

using detail::DocumentEntry;

// ---------------------------------------------------------------------------
// Views

void JsonView::require(Kind wanted) const {
    if (entry_ != nullptr && kind() == wanted) return;
    wrong_kind(kind_description(wanted));
}

void JsonView::wrong_kind(std::string_view wanted) const {
    std::string message = "JSON value is ";
    message += entry_ != nullptr ? kind_description(kind()) : std::string_view("absent");
    message += ", not ";
    message += wanted;
    throw InternalFailure(message);
}

bool JsonView::as_bool() const {
    require(Kind::Bool);
    return entry_->payload != 0;
}

std::uint64_t JsonView::as_unsigned() const {
    require(Kind::Unsigned);
    return entry_->payload;
}

std::int64_t JsonView::as_negative() const {
    require(Kind::Negative);
    return static_cast<std::int64_t>(entry_->payload);
}

double JsonView::as_float() const {
    require(Kind::Float);
    return std::bit_cast<double>(entry_->payload);
}

double JsonView::number_as_double() const {
    if (entry_ != nullptr) {
        switch (kind()) {
            case Kind::Unsigned:
                return static_cast<double>(entry_->payload);
            case Kind::Negative:
                return static_cast<double>(static_cast<std::int64_t>(entry_->payload));
            case Kind::Float:
                return std::bit_cast<double>(entry_->payload);
            default:
                break;
        }
    }
    wrong_kind("a number");
}

std::string_view JsonView::as_string() const {
    require(Kind::String);
    return {strings_ + entry_->payload, entry_->size()};
}

JsonArrayView JsonView::as_array() const {
    require(Kind::Array);
    return JsonArrayView(entry_, strings_);
}

JsonObjectView JsonView::as_object() const {
    require(Kind::Object);
    return JsonObjectView(entry_, strings_);
}

JsonView JsonView::member(std::string_view key) const noexcept {
    if (!is_object()) return {};
    return JsonObjectView(entry_, strings_).find(key);
}

JsonView JsonArrayView::at(std::size_t i) const noexcept {
    // Elements of one entry each: the i-th is the i-th entry.
    if (array_->payload == array_->size()) return JsonView(array_ + 1 + i, strings_);
    auto it = begin();
    while (i-- > 0) ++it;
    return *it;
}

JsonView JsonObjectView::find(std::string_view key) const noexcept {
    const DocumentEntry* const end = object_ + object_->span();
    for (const DocumentEntry* k = object_ + 1; k != end; k += 1 + k[1].span()) {
        if (k->size() == key.size() && (key.empty() || std::memcmp(strings_ + k->payload, key.data(), key.size()) == 0)) {
            return JsonView(k + 1, strings_);
        }
    }
    return {};
}

// Recursion: one level per nested array or object, at most 127 in a document
// read from text.
JsonValue JsonView::to_value() const {
    if (entry_ == nullptr) wrong_kind("a value");
    switch (kind()) {
        case Kind::Null:
            return JsonValue();
        case Kind::Bool:
            return JsonValue::boolean(entry_->payload != 0);
        case Kind::Unsigned:
            return JsonValue::from_unsigned(entry_->payload);
        case Kind::Negative:
            return JsonValue::from_signed(static_cast<std::int64_t>(entry_->payload));
        case Kind::Float:
            return JsonValue::from_double(std::bit_cast<double>(entry_->payload));
        case Kind::String:
            return JsonValue::string(as_string());
        case Kind::Array: {
            JsonArray elements;
            elements.reserve(entry_->size());
            for (const JsonView element : as_array()) elements.push_back(element.to_value());
            return JsonValue::array(std::move(elements));
        }
        case Kind::Object: {
            std::vector<JsonMember> members;
            members.reserve(entry_->size());
            for (const JsonMemberView member : as_object()) {
                members.push_back({JsonString(member.key), member.value.to_value()});
            }
            // Repeated keys were settled when the document was read.
            return JsonValue::object(JsonObject::from_members(std::move(members), JsonObject::Keys::Distinct));
        }
    }
    return JsonValue();
}

// ---------------------------------------------------------------------------
// Writing

namespace {

class DocumentWriter : public detail::TextWriter {
public:
    DocumentWriter(std::string& out, const char* strings, std::size_t first_room = 0)
        : TextWriter(out, first_room), strings_(strings) {}

    // Recursion: one level per nested array or object, at most 127 in a
    // document read from text.
    char* value(const DocumentEntry* e, char* p) {
        switch (e->kind()) {
            case Kind::String:
                return string(e, p);
            case Kind::Array:
                return array(e, p);
            case Kind::Object:
                return object(e, p);
            default:
                return scalar(e, room(p, kScalarRoom));
        }
    }

private:
    // Elements that are null, booleans or numbers, the bulk of data arrays,
    // are written with their comma into one reservation each.
    char* array(const DocumentEntry* a, char* p) {
        p = put(p, '[');
        const DocumentEntry* const first = a + 1;
        const DocumentEntry* const end = a + a->span();
        for (const DocumentEntry* it = first; it != end;) {
            if (it->kind() < Kind::String) {
                p = room(p, kScalarRoom + 1);
                *p = ',';
                p = scalar(it, p + (it != first));
                ++it;
            } else {
                if (it != first) p = put(p, ',');
                p = value(it, p);
                it += it->span();
            }
        }
        return put(p, ']');
    }

    char* object(const DocumentEntry* o, char* p) {
        p = put(p, '{');
        const DocumentEntry* const first = o + 1;
        const DocumentEntry* const end = o + o->span();
        for (const DocumentEntry* key = first; key != end;) {
            p = this->key(key, p, key != first);
            // Scalars and strings here, without the call that containers take.
            const DocumentEntry* const v = key + 1;
            if (v->kind() < Kind::String) {
                p = scalar(v, room(p, kScalarRoom));
                key = v + 1;
            } else if (v->kind() == Kind::String) {
                p = string(v, p);
                key = v + 1;
            } else {
                p = value(v, p);
                key = v + v->span();
            }
        }
        return put(p, '}');
    }

    // A member's key with its colon, after a comma unless it is the first:
    // plain keys of up to 16 bytes, nearly all, in one reservation.
    char* key(const DocumentEntry* k, char* p, bool comma) {
        const std::size_t length = k->size();
        if ((k->head & DocumentEntry::kPlainText) != 0 && length <= kBlock) {
            p = room(p, kBlock + 4);
            *p = ',';
            p += comma;
            *p = '"';
            std::memcpy(p + 1, strings_ + k->payload, kBlock);  // the bytes after the key are written over
            std::memcpy(p + 1 + length, "\":", 2);
            return p + 3 + length;
        }
        if (comma) p = put(p, ',');
        p = string(k, p);
        return put(p, ':');
    }

    // Text read without escapes has none to write: one copy.
    char* string(const DocumentEntry* s, char* p) {
        const std::size_t length = s->size();
        const char* const text = strings_ + s->payload;
        if ((s->head & DocumentEntry::kPlainText) == 0) return TextWriter::string({text, length}, p);
        p = room(p, std::max(length, kBlock) + 2);
        *p = '"';
        if (length <= kBlock) {
            std::memcpy(p + 1, text, kBlock);
        } else {
            std::memcpy(p + 1, text, length);
        }
        p[1 + length] = '"';
        return p + 2 + length;
    }

    // Short text is copied as one block of this size: the document's string
    // bytes are followed by as many readable bytes.
    static constexpr std::size_t kBlock = JsonDocument::kStringPadding;

    static char* scalar(const DocumentEntry* e, char* p) noexcept {
        switch (e->kind()) {
            case Kind::Bool:
                return bool_text(e->payload != 0, p);
            case Kind::Unsigned:
                return unsigned_text(e->payload, p);
            case Kind::Negative:
                return negative_text(static_cast<std::int64_t>(e->payload), p);
            case Kind::Float:
                if ((e->head & DocumentEntry::kTenThousandths) != 0) {
                    return ten_thousandths_text(static_cast<std::int64_t>(e->payload) < 0, e->size(), p);
                }
                return float_text(std::bit_cast<double>(e->payload), p);
            default:
                return null_text(p);
        }
    }

    const char* strings_;
};

}  // namespace

void write_json(JsonView value, std::string& out) {
    if (!value) throw InternalFailure("cannot write an absent JSON value");
    DocumentWriter writer(out, value.strings_);
    writer.finish(writer.value(value.entry_, writer.start()));
}

std::string to_json(JsonView value) {
    std::string out;
    write_json(value, out);
    return out;
}

std::string to_json(const JsonDocument& document) {
    // Compact text read back is rarely longer than it was; a text with
    // whitespace leaves room unused.
    std::string out;
    const JsonView root = document.root();
    DocumentWriter writer(out, root.strings_, document.text_size() + 64);
    writer.finish(writer.value(root.entry_, writer.start()));
    return out;
}

}  // namespace tessel::json
