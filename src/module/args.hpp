#pragma once
// Binding of a call's arguments to parameter slots, driven by the function table.
#include <array>
#include <cstddef>

#include "module/python.hpp"

namespace tessel::py {

inline constexpr std::size_t kMaxParams = 11;

// What the binder needs to know about a function.
struct Signature {
    const char* name;                              // Python name, e.g. "compute_ecdf"
    std::array<const char*, kMaxParams> params;   // parameter names in order
    std::size_t n_params;
    std::size_t n_required;                        // the first n_required are required
};

// One borrowed object per parameter; nullptr where an optional one was omitted.
struct Args {
    std::array<PyObject*, kMaxParams> slot{};
    const Signature* signature = nullptr;  // the function they were bound for
    PyObject* operator[](std::size_t i) const noexcept { return slot[i]; }
    bool given(std::size_t i) const noexcept { return slot[i] != nullptr; }
    const char* name(std::size_t i) const noexcept { return signature->params[i]; }
};

// Binds positional and keyword arguments (vectorcall layout) to `sig`.
// Raises the interpreter-style TypeError as PythonErrorSet on failure.
Args bind_arguments(const Signature& sig, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames);

}  // namespace tessel::py
