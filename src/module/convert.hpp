#pragma once
// Conversion of bound arguments into plain C++ values. Each converter either
// returns the value or throws: tessel::TypeError for a refusal by Python type,
// PythonErrorSet for an error raised by the interpreter, or a value/overflow
// error set as a Python exception. `convert_argument` applies the renaming
// rule that prefixes TypeErrors with the parameter name.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/errors.hpp"
#include "module/errors.hpp"
#include "module/ref.hpp"

namespace tessel::py {

// "'{type}' object is not an instance of '{target}'" (or the None form).
std::string wrong_type_message(PyObject* obj, std::string_view target);

// Replaces a pending exception of exactly TypeError by
// "argument '{name}': {message}", keeping its __cause__.
void rename_pending_type_error(const char* name);

template <class Convert>
auto convert_argument(const char* name, Convert&& convert) -> decltype(convert()) {
    try {
        return convert();
    } catch (const tessel::TypeError& e) {
        raise(PyExc_TypeError, std::string("argument '") + name + "': " + e.what());
    } catch (const PythonErrorSet&) {
        rename_pending_type_error(name);
        throw;
    }
}

// Scalars.
std::string_view to_text(PyObject* obj);  // UTF-8 view, valid while obj lives
double to_float(PyObject* obj);
std::uint64_t to_count(PyObject* obj);
std::int64_t to_i64(PyObject* obj);
std::uint32_t to_u32(PyObject* obj);
bool to_flag(PyObject* obj);

// Sequences: calls `each(item)` for every element, in iteration order, after
// refusing a str and a non-sequence. `size_hint(n)` is called first when the
// length is known cheaply. Items are borrowed for the duration of `each`.
void for_each_item(PyObject* seq, void (*size_hint)(void*, std::size_t), void* hint_ctx,
                   void (*each)(void*, PyObject*), void* each_ctx);

template <class Each>
void for_each_item(PyObject* seq, Each&& each) {
    auto call = [](void* ctx, PyObject* item) { (*static_cast<Each*>(ctx))(item); };
    for_each_item(seq, nullptr, nullptr, call, &each);
}

template <class Reserve, class Each>
void for_each_item(PyObject* seq, Reserve&& reserve, Each&& each) {
    auto hint = [](void* ctx, std::size_t n) { (*static_cast<Reserve*>(ctx))(n); };
    auto call = [](void* ctx, PyObject* item) { (*static_cast<Each*>(ctx))(item); };
    for_each_item(seq, hint, &reserve, call, &each);
}

template <class T, class Convert>
std::vector<T> to_vector(PyObject* seq, Convert&& convert) {
    std::vector<T> out;
    for_each_item(seq, [&](std::size_t n) { out.reserve(n); }, [&](PyObject* item) { out.push_back(convert(item)); });
    return out;
}

// Texts of a sequence of str; keeps the str objects alive for the views.
struct TextList {
    std::vector<Ref> owners;
    std::vector<std::string_view> texts;
};
TextList to_text_list(PyObject* seq);

}  // namespace tessel::py
