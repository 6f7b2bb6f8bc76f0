#include "module/args.hpp"

#include <string>
#include <vector>

#include "module/errors.hpp"

namespace tessel::py {

namespace {

std::string display_name(const Signature& sig) { return std::string(sig.name) + "()"; }

[[noreturn]] void too_many_positional(const Signature& sig, Py_ssize_t given) {
    std::string msg = display_name(sig) + " takes ";
    if (sig.n_required == sig.n_params) {
        msg += std::to_string(sig.n_params);
    } else {
        msg += "from " + std::to_string(sig.n_required) + " to " + std::to_string(sig.n_params);
    }
    msg += " positional arguments but " + std::to_string(given) + (given == 1 ? " was" : " were") + " given";
    raise(PyExc_TypeError, msg);
}

[[noreturn]] void missing_required(const Signature& sig, const std::vector<const char*>& missing) {
    std::string msg = display_name(sig) + " missing " + std::to_string(missing.size()) +
                      " required positional " + (missing.size() == 1 ? "argument" : "arguments") + ": ";
    for (std::size_t i = 0; i < missing.size(); ++i) {
        if (i > 0) {
            if (missing.size() == 2) {
                msg += " and ";
            } else {
                msg += (i + 1 == missing.size()) ? ", and " : ", ";
            }
        }
        msg += '\'';
        msg += missing[i];
        msg += '\'';
    }
    raise(PyExc_TypeError, msg);
}

// Index of the parameter named by `key`, or -1.
Py_ssize_t find_parameter(const Signature& sig, PyObject* key) {
    for (std::size_t i = 0; i < sig.n_params; ++i) {
#if PY_VERSION_HEX >= 0x030D0000
        if (PyUnicode_EqualToUTF8(key, sig.params[i])) return static_cast<Py_ssize_t>(i);
#else
        if (PyUnicode_CompareWithASCIIString(key, sig.params[i]) == 0) return static_cast<Py_ssize_t>(i);
#endif
    }
    return -1;
}

}  // namespace

Args bind_arguments(const Signature& sig, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    Args bound;
    bound.signature = &sig;
    if (static_cast<std::size_t>(nargs) > sig.n_params) too_many_positional(sig, nargs);
    for (Py_ssize_t i = 0; i < nargs; ++i) bound.slot[static_cast<std::size_t>(i)] = args[i];

    if (kwnames != nullptr) {
        const Py_ssize_t n_kw = PyTuple_GET_SIZE(kwnames);
        for (Py_ssize_t k = 0; k < n_kw; ++k) {
            PyObject* key = PyTuple_GET_ITEM(kwnames, k);
            const Py_ssize_t index = find_parameter(sig, key);
            if (index < 0) {
                PyErr_Format(PyExc_TypeError, "%s() got an unexpected keyword argument '%U'", sig.name, key);
                throw PythonErrorSet{};
            }
            auto& slot = bound.slot[static_cast<std::size_t>(index)];
            if (slot != nullptr) {
                PyErr_Format(PyExc_TypeError, "%s() got multiple values for argument '%U'", sig.name, key);
                throw PythonErrorSet{};
            }
            slot = args[nargs + k];
        }
    }

    std::vector<const char*> missing;
    for (std::size_t i = 0; i < sig.n_required; ++i) {
        if (bound.slot[i] == nullptr) missing.push_back(sig.params[i]);
    }
    if (!missing.empty()) missing_required(sig, missing);
    return bound;
}

}  // namespace tessel::py
