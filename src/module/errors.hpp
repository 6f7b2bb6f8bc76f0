#pragma once
// How failures travel through the binding layer: a C++ exception that says
// "a Python exception is already set", the internal-failure exception type,
// and the one function that turns any in-flight C++ exception into a Python one.
#include <exception>
#include <string>
#include <string_view>

#include "module/python.hpp"
#include "module/ref.hpp"

namespace tessel::py {

// Thrown after a Python API call failed; the Python error indicator is set.
struct PythonErrorSet {};

// Throws PythonErrorSet when `result` signals failure (a null pointer).
template <class T>
T* check(T* result) {
    if (result == nullptr) throw PythonErrorSet{};
    return result;
}

// Raises a Python exception of `type` with `message` as a C++ PythonErrorSet.
[[noreturn]] void raise(PyObject* type, std::string_view message);

// The pending exception as an object (normalized), clearing the indicator;
// and the way back.
Ref take_pending_exception();
void restore_pending_exception(Ref exc);

// Clears the pending Python exception and returns its str (for wrapping).
std::string take_pending_error_text();

// The process-wide internal-failure exception type (derives from
// BaseException so that `except Exception` does not swallow it). Created on
// first use; returns nullptr with an exception set if it cannot be created.
PyObject* internal_failure_type();

// Sets the Python exception for the exception currently being handled.
// Call only from inside a catch block.
void set_python_error_from_current_exception() noexcept;

}  // namespace tessel::py
