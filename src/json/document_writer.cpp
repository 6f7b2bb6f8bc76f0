#include <algorithm>
#include <bit>
#include <cstring>

#include "common/errors.hpp"
#include "json/writer.hpp"

namespace tessel::json {

using detail::DocumentEntry;

// Kept in entry order, the order they are written in; a replace comes
// before appends to the same entry.
void DocumentEdits::add(Edit edit) {
    const auto later = std::upper_bound(edits_.begin(), edits_.end(), edit, [](const Edit& a, const Edit& b) {
        return a.at != b.at ? std::less<>{}(a.at, b.at) : !a.appends && b.appends;
    });
    edits_.insert(later, std::move(edit));
}

void DocumentEdits::replace(JsonView target, ValueText text, std::string_view key) {
    if (!target) throw InternalFailure("cannot replace an absent JSON value");
    add({target.entry_, key, text, false});
}

void DocumentEdits::append(JsonView object, std::string_view key, ValueText text) {
    if (!object.is_object()) throw InternalFailure("cannot append a member to a JSON value that is not an object");
    add({object.entry_, key, text, true});
}

// A document's entries as text. Containers that hold no edit take the plain
// walk; only the path down to each edit is written member by member.
class DocumentWriter : public TextWriter {
public:
    // Appends the text of `value` to `out`.
    static void write(JsonView value, const DocumentEdits& edits, std::string& out, std::size_t first_room) {
        DocumentWriter writer(out, value.strings_, edits, first_room);
        writer.finish(writer.value(value.entry_, writer.start()));
    }

private:
    DocumentWriter(std::string& out, const char* strings, const DocumentEdits& edits, std::size_t first_room = 0)
        : TextWriter(out, first_room), strings_(strings), next_(edits.edits_.data()),
          last_(next_ + edits.edits_.size()) {}

    // Recursion: one level per nested array or object, at most 127 in a
    // document read from text.
    char* value(const DocumentEntry* e, char* p) {
        if (next_ != last_ && next_->at < e + e->span()) return edited(e, p);
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

    using Edit = DocumentEdits::Edit;

    // `e` or a value inside it has an edit (the next one).
    char* edited(const DocumentEntry* e, char* p) {
        if (next_->at == e && !next_->appends) {
            const Edit& edit = *next_++;
            if (edit.key.data() == nullptr) return edit.text(*this, p);
            p = TextWriter::string(edit.key, put(p, '{'));
            return put(edit.text(*this, put(p, ':')), '}');
        }
        const bool is_object = e->kind() == Kind::Object;
        p = put(p, is_object ? '{' : '[');
        const Edit* const appends = next_;
        while (next_ != last_ && next_->at == e) ++next_;
        const Edit* const appends_end = next_;
        const DocumentEntry* const first = e + 1;
        const DocumentEntry* const end = e + e->span();
        for (const DocumentEntry* it = first; it != end;) {
            if (is_object) {
                p = key(it, p, it != first);
                ++it;
            } else if (it != first) {
                p = put(p, ',');
            }
            p = value(it, p);
            it += it->span();
        }
        for (const Edit* a = appends; a != appends_end; ++a) {
            if (a != appends || e->size() != 0) p = put(p, ',');
            p = TextWriter::string(a->key, p);
            p = a->text(*this, put(p, ':'));
        }
        return put(p, is_object ? '}' : ']');
    }

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

    // Inline at each of its three places: most entries of a document are
    // scalars, and a call for each cost a fifth of the writing.
    [[gnu::always_inline]] static char* scalar(const DocumentEntry* e, char* p) noexcept {
        switch (e->kind()) {
            case Kind::Bool:
                return bool_text(e->payload != 0, p);
            case Kind::Unsigned:
                return unsigned_text(e->payload, p);
            case Kind::Negative:
                return signed_text(static_cast<std::int64_t>(e->payload), p);
            case Kind::Float:
                if ((e->head & DocumentEntry::kTenThousandths) != 0) {
                    return fraction_text<4>(static_cast<std::int64_t>(e->payload) < 0, e->size(), p);
                }
                return float_text(std::bit_cast<double>(e->payload), p);
            default:
                return null_text(p);
        }
    }

    const char* strings_;
    const Edit* next_;  // the first edit not yet written, in entry order
    const Edit* last_;
};

std::string to_json(const JsonDocument& document, const DocumentEdits& edits, std::size_t expected_size) {
    // Compact text read back is rarely longer than it was; a text with
    // whitespace leaves room unused.
    std::string out;
    DocumentWriter::write(document.root(), edits, out, (expected_size != 0 ? expected_size : document.text_size()) + 64);
    return out;
}

}  // namespace tessel::json
