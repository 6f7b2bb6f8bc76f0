// The module object: its definition, the function table and the execution step.
#include <array>
#include <cstddef>
#include <utility>

#include "common/errors.hpp"
#include "module/args.hpp"
#include "module/errors.hpp"
#include "module/functions.hpp"
#include "module/ref.hpp"

namespace tessel::py {

namespace {

using Body = PyObject* (*)(const Args&);

struct FunctionRow {
    Signature signature;
    const char* doc;  // the text signature; nothing after it, so __doc__ is None
    Body body;
};

// Registration order; also the order of __all__.
constexpr std::array kFunctions = {
    FunctionRow{{"compute_ecdf", {"values", "cdf_cutoff"}, 2, 1},
                "compute_ecdf(values, cdf_cutoff=1.0)\n--\n\n", compute_ecdf},
    FunctionRow{{"build_ecdf_option_json",
                 {"series", "title", "x_name", "x_unit", "x_label", "bg", "axis_color", "grid_color", "font_sans",
                  "font_serif", "font_mono"},
                 11, 11},
                "build_ecdf_option_json(series, title, x_name, x_unit, x_label, bg, axis_color, grid_color, "
                "font_sans, font_serif, font_mono)\n--\n\n",
                build_ecdf_option_json},
    FunctionRow{{"finalize_activity_bar_option_json", {"option_json", "percentages", "counts", "colors"}, 4, 4},
                "finalize_activity_bar_option_json(option_json, percentages, counts, colors)\n--\n\n",
                finalize_activity_bar_option_json},
    FunctionRow{{"finalize_activity_comparison_option_json",
                 {"option_json", "percentages", "counts", "colors", "opacities"},
                 5, 5},
                "finalize_activity_comparison_option_json(option_json, percentages, counts, colors, opacities)"
                "\n--\n\n",
                finalize_activity_comparison_option_json},
    FunctionRow{{"finalize_activity_heatmap_option_json", {"option_json", "matrix", "update_visual_max"}, 3, 2},
                "finalize_activity_heatmap_option_json(option_json, matrix, update_visual_max=False)\n--\n\n",
                finalize_activity_heatmap_option_json},
    FunctionRow{{"activity_time_bin_labels", {"n_bins"}, 1, 1}, "activity_time_bin_labels(n_bins)\n--\n\n",
                activity_time_bin_labels},
    FunctionRow{{"render_option_svg", {"option_json", "width", "height"}, 3, 3},
                "render_option_svg(option_json, width, height)\n--\n\n", render_option_svg},
};

// The entry point of function I: bind, run the body, and let no failure out
// except as one Python exception.
template <std::size_t I>
PyObject* entry(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) noexcept {
    const FunctionRow& row = kFunctions[I];
    try {
        return row.body(bind_arguments(row.signature, args, PyVectorcall_NARGS(nargs), kwnames));
    } catch (...) {
        set_python_error_from_current_exception();
        return nullptr;
    }
}

template <std::size_t... I>
constexpr auto make_method_defs(std::index_sequence<I...>) {
    return std::array<PyMethodDef, sizeof...(I)>{PyMethodDef{
        kFunctions[I].signature.name,
        reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(&entry<I>)),
        METH_FASTCALL | METH_KEYWORDS,
        kFunctions[I].doc,
    }...};
}

// Function objects keep pointers to these records for as long as they live.
auto kMethodDefs = make_method_defs(std::make_index_sequence<kFunctions.size()>{});

// The module's __all__, created when missing.
Ref all_list(PyObject* module) {
    Ref all = Ref::steal(PyObject_GetAttrString(module, "__all__"));
    if (all) return all;
    if (!PyErr_ExceptionMatches(PyExc_AttributeError)) throw PythonErrorSet{};
    PyErr_Clear();
    all = Ref::steal(check(PyList_New(0)));
    if (PyObject_SetAttrString(module, "__all__", all.get()) < 0) throw PythonErrorSet{};
    return all;
}

int exec_module(PyObject* module) {
    try {
        if (!PyModule_Check(module)) raise(PyExc_TypeError, "module execution expects a module object");
        Ref module_name = Ref::steal(check(PyModule_GetNameObject(module)));
        for (PyMethodDef& def : kMethodDefs) {
            Ref function = Ref::steal(check(PyCMethod_New(&def, module, module_name.get(), nullptr)));
            Ref name = Ref::steal(check(PyObject_GetAttrString(function.get(), "__name__")));
            Ref all = all_list(module);
            if (PyList_Append(all.get(), name.get()) < 0) {
                PyErr_Clear();
                throw tessel::InternalFailure("could not append __name__ to __all__");
            }
            if (PyObject_SetAttr(module, name.get(), function.get()) < 0) throw PythonErrorSet{};
        }
        // The internal-failure type, so that callers can name it; it is not
        // one of the functions, so it stays out of __all__.
        PyObject* internal_failure = check(internal_failure_type());
        if (PyObject_SetAttrString(module, "InternalFailure", internal_failure) < 0) throw PythonErrorSet{};
        return 0;
    } catch (...) {
        set_python_error_from_current_exception();
        return -1;
    }
}

PyModuleDef_Slot module_slots[] = {
    {Py_mod_exec, reinterpret_cast<void*>(&exec_module)},
#if PY_VERSION_HEX >= 0x030D0000
    {Py_mod_gil, Py_MOD_GIL_NOT_USED},
#endif
    {0, nullptr},
};

PyModuleDef module_def = {
    PyModuleDef_HEAD_INIT,
    "_core",
    "",
    0,
    nullptr,
    module_slots,
    nullptr,
    nullptr,
    nullptr,
};

}  // namespace

}  // namespace tessel::py

PyMODINIT_FUNC PyInit__core() { return PyModuleDef_Init(&tessel::py::module_def); }
