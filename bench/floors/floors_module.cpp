// Floors for the benchmarks: what a call from Python costs before any work,
// and the work no implementation can avoid, each done the fastest way in C.
// Built with the timing programs; the benchmarks print these beside ours.
#include <Python.h>

#include <cstdint>
#include <cstring>

namespace {

// A call that binds its arguments as the module's functions do and does nothing.
PyObject* empty(PyObject*, PyObject* const*, Py_ssize_t, PyObject*) { Py_RETURN_NONE; }

// Reads every byte of a str once (its UTF-8 form, which a compact ASCII str
// holds already) and returns a checksum, so the reading cannot be left out.
PyObject* read_text(PyObject*, PyObject* text) {
    Py_ssize_t size = 0;
    const char* bytes = PyUnicode_AsUTF8AndSize(text, &size);
    if (bytes == nullptr) return nullptr;
    std::uint64_t sum = 0;
    Py_ssize_t i = 0;
    for (; i + 8 <= size; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes + i, 8);
        sum += word;
    }
    for (; i < size; ++i) sum += static_cast<unsigned char>(bytes[i]);
    return PyLong_FromUnsignedLongLong(sum);
}

// [[x0, y0], [x1, y1], ...] from a buffer of doubles x0, y0, x1, y1, ...:
// the result of an ECDF made from ready numbers, the cyclic garbage
// collector held off meanwhile (it would walk the new lists again and again).
PyObject* pair_lists(PyObject*, PyObject* source) {
    Py_buffer view;
    if (PyObject_GetBuffer(source, &view, PyBUF_CONTIG_RO) != 0) return nullptr;
    const bool collecting = PyGC_Disable() != 0;
    const auto* values = static_cast<const double*>(view.buf);
    const Py_ssize_t n = view.len / static_cast<Py_ssize_t>(2 * sizeof(double));
    PyObject* list = PyList_New(n);
    for (Py_ssize_t i = 0; list != nullptr && i < n; ++i) {
        PyObject* x = PyFloat_FromDouble(values[2 * i]);
        PyObject* y = PyFloat_FromDouble(values[2 * i + 1]);
        PyObject* pair = x != nullptr && y != nullptr ? PyList_New(2) : nullptr;
        if (pair == nullptr) {
            Py_XDECREF(x);
            Py_XDECREF(y);
            Py_CLEAR(list);
            break;
        }
        PyList_SET_ITEM(pair, 0, x);
        PyList_SET_ITEM(pair, 1, y);
        PyList_SET_ITEM(list, i, pair);
    }
    if (collecting) PyGC_Enable();
    PyBuffer_Release(&view);
    return list;
}

PyMethodDef methods[] = {
    {"empty", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(&empty)), METH_FASTCALL | METH_KEYWORDS,
     nullptr},
    {"read_text", read_text, METH_O, nullptr},
    {"pair_lists", pair_lists, METH_O, nullptr},
    {nullptr, nullptr, 0, nullptr},
};

PyModuleDef_Slot slots[] = {
#ifdef Py_GIL_DISABLED
    {Py_mod_gil, Py_MOD_GIL_NOT_USED},
#endif
    {0, nullptr},
};

PyModuleDef module = {PyModuleDef_HEAD_INIT, "_bench_floors", nullptr, 0, methods, slots, nullptr, nullptr, nullptr};

}  // namespace

PyMODINIT_FUNC PyInit__bench_floors() { return PyModuleDef_Init(&module); }
