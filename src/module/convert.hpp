#pragma once
// Conversion of bound arguments into plain C++ values. Each converter either
// returns the value or throws: tessel::TypeError for a refusal by Python type,
// PythonErrorSet for an error raised by the interpreter, or a value/overflow
// error set as a Python exception. `convert_argument` applies the renaming
// rule that prefixes TypeErrors with the parameter name.
#include <cstdint>
#include <new>
#include <type_traits>
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

// Sequences. Every list-of-K argument is read by `read_items`, in one of two
// ways. An exact list or tuple is first swept with `fast(item)`: borrowed
// items, read under the sequence's lock, so that on an interpreter without the
// GIL no other thread changes it meanwhile; `fast` returns false for an item
// it does not handle, without raising, running Python code or taking another
// lock. When it declines one, or for any other sequence, `restart()` drops
// what the sweep kept and `general(item)` converts every item with its usual
// refusals: a str and a non-sequence are refused, and a list is re-read item
// by item with each item held, as a conversion may run Python code that
// changes the list. `reserve(n)` comes first, with the length or a capped
// length hint.
namespace detail {

void for_each_general_item(PyObject* seq, void (*reserve)(void*, std::size_t), void* reserve_ctx,
                           void (*each)(void*, PyObject*), void* each_ctx);

// The sweep: false when `seq` is not an exact list or tuple or `fast` declined an item.
template <class Fast>
bool sweep_exact_items(PyObject* seq, Fast& fast) {
    const bool list = PyList_CheckExact(seq);
    if (!list && !PyTuple_CheckExact(seq)) return false;
    bool handled = true;
    bool out_of_memory = false;
#ifdef Py_BEGIN_CRITICAL_SECTION
    Py_BEGIN_CRITICAL_SECTION(seq);
#endif
    const Py_ssize_t n = Py_SIZE(seq);
    // From the exact type already known, without the subclass test.
    PyObject** const items = list ? reinterpret_cast<PyListObject*>(seq)->ob_item
                                  : reinterpret_cast<PyTupleObject*>(seq)->ob_item;
    // Nothing may throw past the end of the critical section: the sequence
    // would stay locked.
    try {
        for (PyObject** item = items; item != items + n; ++item) {
            if (!fast(*item)) {
                handled = false;
                break;
            }
        }
    } catch (const std::bad_alloc&) {
        out_of_memory = true;
    }
#ifdef Py_END_CRITICAL_SECTION
    Py_END_CRITICAL_SECTION();
#endif
    if (out_of_memory) throw std::bad_alloc();
    return handled;
}

struct NoFastPath {
    bool operator()(PyObject*) const noexcept { return false; }
};

}  // namespace detail

template <class Reserve, class Fast, class Restart, class General>
void read_items(PyObject* seq, Reserve&& reserve, Fast&& fast, Restart&& restart, General&& general) {
    if constexpr (!std::is_same_v<std::remove_cvref_t<Fast>, detail::NoFastPath>) {
        if (PyList_CheckExact(seq) || PyTuple_CheckExact(seq)) {
            reserve(static_cast<std::size_t>(PySequence_Fast_GET_SIZE(seq)));
            if (detail::sweep_exact_items(seq, fast)) return;
            restart();
        }
    }
    auto hint = [](void* ctx, std::size_t n) { (*static_cast<std::remove_reference_t<Reserve>*>(ctx))(n); };
    auto call = [](void* ctx, PyObject* item) { (*static_cast<std::remove_reference_t<General>*>(ctx))(item); };
    detail::for_each_general_item(seq, hint, &reserve, call, &general);
}

// A vector of converted items; `fast(item, T&)` reads an item in place or
// returns false (as for read_items).
template <class T, class Convert, class Fast = detail::NoFastPath>
std::vector<T> to_vector(PyObject* seq, Convert&& convert, Fast&& fast = {}) {
    std::vector<T> out;
    read_items(
        seq, [&](std::size_t n) { out.reserve(n); },
        [&](PyObject* item) {
            if constexpr (std::is_same_v<std::remove_cvref_t<Fast>, detail::NoFastPath>) {
                return false;
            } else {
                out.emplace_back();
                return fast(item, out.back());
            }
        },
        [&] { out.clear(); }, [&](PyObject* item) { out.push_back(convert(item)); });
    return out;
}

// Texts of a sequence of str; keeps the str objects alive for the views.
struct TextList {
    std::vector<Ref> owners;
    std::vector<std::string_view> texts;
    bool ascii = true;  // every text
};
TextList to_text_list(PyObject* seq);

// Whether every byte is below 0x80: one pass without an early exit, so that
// it runs many bytes at a time.
inline bool is_ascii(std::string_view text) noexcept {
    unsigned char any = 0;
    for (const char c : text) any |= static_cast<unsigned char>(c);
    return any < 0x80;
}

// A new str of the UTF-8 text head + tail (each whole UTF-8 text). Text known to be ASCII is copied as
// it is, without the decoder's scan; long text is copied without the GIL (the
// new str is private to this call until it is returned).
Ref to_str(std::string_view head, std::string_view tail, bool ascii);

}  // namespace tessel::py
