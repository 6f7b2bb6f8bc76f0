#pragma once
// The compact JSON writer: no whitespace outside strings, members in order,
// numbers in the text form of their kind. It writes a JsonValue tree, and a
// JsonDocument with edits: values replaced and members appended, each new
// value written by a callback straight into the output.
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "json/document.hpp"
#include "json/text_writer.hpp"
#include "json/value.hpp"

namespace tessel::json {

// Appends the compact text of `value` to `out`.
void write_json(const JsonValue& value, std::string& out);

// Appends `text` as a JSON string: quoted, with '"', '\\' and the bytes
// below 0x20 escaped; everything else (including non-ASCII UTF-8) unchanged.
void write_json_string(std::string_view text, std::string& out);

// The float form: shortest round-trip digits, plain within 1e-5 <= |x| < 1e16
// (always with a fraction, "1.0"), exponent form outside; NaN and the
// infinities give "null".
void write_json_float(double x, std::string& out);

// Borrows a callable that writes a value's text at `p` through the writer
// and returns its end: char* f(TextWriter& out, char* p). The callable must
// outlive the writing, so only named ones are taken (no temporaries), and
// borrowing it costs no allocation.
class ValueText {
public:
    template <class F>
        requires(!std::is_same_v<std::remove_cv_t<F>, ValueText>)
    ValueText(F& f) noexcept  // converts like a reference to a function
        : callable_(&f), call_([](const void* c, TextWriter& out, char* p) { return (*static_cast<const F*>(c))(out, p); }) {}
    template <class F>
    ValueText(const F&& f) = delete;

    char* operator()(TextWriter& out, char* p) const { return call_(callable_, out, p); }

private:
    const void* callable_;
    char* (*call_)(const void*, TextWriter&, char*);
};

// Changes to a document made while it is written. Each target is a view of
// the document that is written, and no two edits overlap (no edit inside a
// value that another replaces).
class DocumentEdits {
public:
    // The value `target` is written by `text` instead; with `key`, it is
    // written as the object {key: value}.
    void replace(JsonView target, ValueText text, std::string_view key = {});
    // After its members, `object` gets member `key` with the value written
    // by `text`.
    void append(JsonView object, std::string_view key, ValueText text);

private:
    friend class DocumentWriter;
    struct Edit {
        const detail::DocumentEntry* at;
        std::string_view key;  // of an appended member, or of the object a replace makes
        ValueText text;
        bool appends;
    };
    void add(Edit edit);
    std::vector<Edit> edits_;
};

// The compact text of the document with the edits made. `expected_size`:
// about how long the text will be, to make room for at once (0: about the
// length of the text the document was read from).
std::string to_json(const JsonDocument& document, const DocumentEdits& edits = {}, std::size_t expected_size = 0);

}  // namespace tessel::json
