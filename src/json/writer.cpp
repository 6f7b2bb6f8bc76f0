#include "json/writer.hpp"

#include "json/text_writer.hpp"

namespace tessel::json {

namespace {

using detail::escape_text;

// A JsonValue tree as text.
class Writer : public TextWriter {
public:
    using TextWriter::TextWriter;
    using TextWriter::string;

    // Recursion: one level per nested array or object. Values read from text
    // are at most 127 levels deep and the module's own documents a handful, so
    // the depth stays near that bound.
    char* value(const JsonValue& v, char* p) {
        switch (v.kind()) {
            case Kind::String:
                return string(v.as_string(), p);
            case Kind::Array:
                return array(v.as_array(), p);
            case Kind::Object:
                return object(v.as_object(), p);
            default:
                return scalar(v, room(p, kScalarRoom));
        }
    }

    // Elements that are null, booleans or numbers, the bulk of data arrays,
    // are written with their comma into one reservation each.
    char* array(const JsonArray& elements, char* p) {
        p = put(p, '[');
        const JsonValue* const first = elements.data();
        const JsonValue* const end = first + elements.size();
        for (const JsonValue* it = first; it != end; ++it) {
            if (it->kind() < Kind::String) {
                p = room(p, kScalarRoom + 1);
                *p = ',';
                p = scalar(*it, p + (it != first));
            } else {
                if (it != first) p = put(p, ',');
                p = value(*it, p);
            }
        }
        return put(p, ']');
    }

    char* object(const JsonObject& members, char* p) {
        p = put(p, '{');
        bool first = true;
        for (const JsonMember& member : members) {
            p = key(member.key, p, !first);
            first = false;
            p = value(member.value, p);
        }
        return put(p, '}');
    }

    // A member's key with its colon, after a comma unless it is the first.
    char* key(std::string_view text, char* p, bool comma) {
        if (comma) p = put(p, ',');
        p = string(text, p);
        return put(p, ':');
    }

    // Writes null, a boolean or a number at `p` (room for kScalarRoom bytes).
    static char* scalar(const JsonValue& v, char* p) noexcept {
        switch (v.kind()) {
            case Kind::Bool:
                return bool_text(v.as_bool(), p);
            case Kind::Unsigned:
                return unsigned_text(v.as_unsigned(), p);
            case Kind::Negative:
                return signed_text(v.as_negative(), p);
            case Kind::Float:
                return float_text(v.as_float(), p);
            default:
                return null_text(p);
        }
    }

};

}  // namespace

void write_json(const JsonValue& value, std::string& out) {
    Writer writer(out);
    writer.finish(writer.value(value, writer.start()));
}


// The single-value writers below append directly: a Writer sizes its whole
// target up front, which pays for a document but not for one value at a time.

void write_json_string(std::string_view text, std::string& out) {
    out.push_back('"');
    const char* run = text.data();
    const char* const end = run + text.size();
    for (;;) {
        const char* const stop = find_string_stop(run, end);
        out.append(run, static_cast<std::size_t>(stop - run));
        if (stop == end) break;
        char escaped[6];
        out.append(escaped, escape_text(static_cast<unsigned char>(*stop), escaped));
        run = stop + 1;
    }
    out.push_back('"');
}

void write_json_float(double x, std::string& out) {
    char text[json_float_room];
    out.append(text, format_json_float(x, text));
}

}  // namespace tessel::json
