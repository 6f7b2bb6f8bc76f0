// Reader and writer on arbitrary bytes. Reading never crashes and fails only
// with a positioned error; whatever reads also writes; the written text
// reads back to a value of the same structure, kinds, strings and unsigned
// integers, with floats at most two units in the last place away (the
// reader's float steps round the power of ten and the operation).
#include <bit>
#include <cstdint>
#include <string>
#include <string_view>

#include "json/reader.hpp"
#include "json/writer.hpp"

namespace {

using tessel::json::JsonView;
using tessel::json::Kind;

void check(bool ok) {
    if (!ok) __builtin_trap();
}

// `b` is `a` written and read again.
void check_same_shape(JsonView a, JsonView b) {
    check(a.kind() == b.kind());
    if (a.kind() == Kind::Array) {
        const auto xs = a.as_array(), ys = b.as_array();
        check(xs.size() == ys.size());
        for (auto x = xs.begin(), y = ys.begin(); x != xs.end(); ++x, ++y) check_same_shape(*x, *y);
    } else if (a.kind() == Kind::Object) {
        const auto xs = a.as_object(), ys = b.as_object();
        check(xs.size() == ys.size());
        for (auto x = xs.begin(), y = ys.begin(); x != xs.end(); ++x, ++y) {
            check((*x).key == (*y).key);
            check_same_shape((*x).value, (*y).value);
        }
    } else if (a.kind() == Kind::Float) {
        const auto distance =
            std::bit_cast<std::int64_t>(b.number_as_double()) - std::bit_cast<std::int64_t>(a.number_as_double());
        check(distance >= -2 && distance <= 2);
    } else if (a.kind() == Kind::String) {
        check(a.as_string() == b.as_string());
    } else if (a.kind() == Kind::Unsigned) {
        check(a.as_unsigned() == b.as_unsigned());
    } else if (a.kind() == Kind::Negative) {
        check(a.number_as_double() == b.number_as_double());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    tessel::json::JsonDocument document;
    try {
        document = tessel::json::read_json_document(text);
    } catch (const tessel::json::ReadError& e) {
        check(e.line >= 1 && e.column <= size && e.text() == e.what());
        return 0;
    }
    check(document.text_size() == size);
    const tessel::json::JsonDocument back = tessel::json::read_json_document(tessel::json::to_json(document));
    check_same_shape(document.root(), back.root());
    return 0;
}
