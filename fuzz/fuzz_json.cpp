// Reader and writer on arbitrary bytes. Reading never crashes; whatever reads
// also writes; the written text reads back to a value of the same structure,
// kinds, strings and integers, with floats at most two units in the last
// place away (the reader's float steps round the power of ten and the
// operation); writing that value again gives text that reads back once more.
// The fixed decimal text of every float is checked against its exact path.
// A JsonDocument read from the same bytes fails with the same error or holds
// the same value and writes the same text, from its root and as a whole.
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <optional>
#include <string_view>

#include "json/document.hpp"
#include "json/number_text.hpp"
#include "json/reader.hpp"
#include "json/value.hpp"
#include "json/writer.hpp"

namespace {

using tessel::json::JsonValue;
using tessel::json::Kind;

void check(bool ok) {
    if (!ok) __builtin_trap();
}

void check_fixed(double x) {
    for (unsigned precision : {0u, 2u}) {
        std::string fast;
        std::string exact;
        tessel::json::append_fixed(x, precision, fast);
        tessel::json::detail::append_fixed_exact(x, precision, exact);
        check(fast == exact);
    }
}

// `b` is `a` written and read again.
void check_same_shape(const JsonValue& a, const JsonValue& b) {
    check(a.kind() == b.kind());
    switch (a.kind()) {
        case Kind::Float: {
            const double x = a.as_float();
            const double y = b.as_float();
            const auto distance = std::bit_cast<std::int64_t>(y) - std::bit_cast<std::int64_t>(x);
            check(distance >= -2 && distance <= 2);
            check_fixed(x);
            break;
        }
        case Kind::Array: {
            const auto& xs = a.as_array();
            const auto& ys = b.as_array();
            check(xs.size() == ys.size());
            for (std::size_t i = 0; i < xs.size(); ++i) check_same_shape(xs[i], ys[i]);
            break;
        }
        case Kind::Object: {
            const auto& xs = a.as_object();
            const auto& ys = b.as_object();
            check(xs.size() == ys.size());
            for (auto x = xs.begin(), y = ys.begin(); x != xs.end(); ++x, ++y) {
                check(x->key == y->key);
                check(ys.find(x->key) == &y->value);
                check_same_shape(x->value, y->value);
            }
            break;
        }
        default:
            check(a == b);
            break;  // null, booleans, integers, strings
    }
}

bool same_error(const tessel::json::ReadError& a, const tessel::json::ReadError& b) {
    return a.reason == b.reason && a.line == b.line && a.column == b.column && a.text() == b.text();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::optional<tessel::json::ReadError> document_error;
    tessel::json::JsonDocument document;
    try {
        document = tessel::json::read_json_document(text);
    } catch (const tessel::json::ReadError& e) {
        document_error = e;
    }
    JsonValue value;
    try {
        value = tessel::json::read_json(text);
    } catch (const tessel::json::ReadError& e) {
        check(e.line >= 1 && e.column <= size);
        check(e.text() == e.what());
        check(document_error && same_error(*document_error, e));
        return 0;
    }
    check(!document_error);
    const std::string written = tessel::json::to_json(value);
    check(tessel::json::to_json(document.root()) == written);
    check(tessel::json::to_json(document) == written);
    check(document.text_size() == size);
    check(document.root().to_value() == value);
    const JsonValue back = tessel::json::read_json(written);  // must not throw
    check(tessel::json::read_json_document(written).root().to_value() == back);
    check_same_shape(value, back);
    const JsonValue copy = back;
    check(copy == back);
    check_same_shape(back, tessel::json::read_json(tessel::json::to_json(copy)));
    return 0;
}
