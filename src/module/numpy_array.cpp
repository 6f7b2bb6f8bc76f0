#include "module/numpy_array.hpp"

#include "common/errors.hpp"
#include "module/convert.hpp"
#include "module/errors.hpp"
#include "module/process_cache.hpp"

// NumPy's header declares a file-local API table; this file is the only user.
#define NPY_NO_DEPRECATED_API NPY_1_7_API_VERSION
#include <numpy/arrayobject.h>

namespace tessel::py {

namespace {

ProcessCache<void*> numpy_api_cache;

// Loads the `_ARRAY_API` capsule of NumPy 2 (numpy._core) or NumPy 1 (numpy.core).
void** load_numpy_api() {
    Ref module = Ref::steal(PyImport_ImportModule("numpy._core._multiarray_umath"));
    if (!module) {
        if (!PyErr_ExceptionMatches(PyExc_ModuleNotFoundError)) return nullptr;
        PyErr_Clear();
        module = Ref::steal(PyImport_ImportModule("numpy.core._multiarray_umath"));
        if (!module) return nullptr;
    }
    Ref capsule = Ref::steal(PyObject_GetAttrString(module.get(), "_ARRAY_API"));
    if (!capsule) return nullptr;
    if (!PyCapsule_CheckExact(capsule.get())) {
        PyErr_SetString(PyExc_RuntimeError, "_ARRAY_API is not a capsule");
        return nullptr;
    }
    return static_cast<void**>(PyCapsule_GetPointer(capsule.get(), nullptr));
}

// Makes the API table usable by NumPy's macros in this file. The table
// pointer is written once, by the creating thread, before the cache publishes
// it; readers pass through the cache's acquire load first, so they see it.
// Failing to load NumPy is an internal failure carrying the import error.
void require_numpy() {
    void** api = numpy_api_cache.get(
        [] {
            void** loaded = load_numpy_api();
            if (loaded != nullptr) PyArray_API = loaded;
            return loaded;
        },
        [](void**) {});
    if (api == nullptr) {
        throw tessel::InternalFailure("could not load NumPy: " + take_pending_error_text());
    }
}

bool is_float64(PyArrayObject* array) {
    PyArray_Descr* descr = PyArray_DESCR(array);
    if (descr->type_num == NPY_DOUBLE && PyArray_ISNBO(descr->byteorder)) return true;
    Ref double_descr = Ref::steal(reinterpret_cast<PyObject*>(PyArray_DescrFromType(NPY_DOUBLE)));
    return PyArray_EquivTypes(descr, reinterpret_cast<PyArray_Descr*>(double_descr.get())) != 0;
}

}  // namespace

std::span<const double> ArrayView::contiguous_1d() const {
    if (shape[0] == 0) return {};
    if (!aligned || !contiguous) throw tessel::TypeError("The given array is not contiguous or is misaligned.");
    return {reinterpret_cast<const double*>(data), shape[0]};
}

ArrayView to_float64_array(PyObject* obj, int ndim) {
    require_numpy();
    if (!PyArray_Check(obj)) throw tessel::TypeError(wrong_type_message(obj, "ndarray"));
    auto* array = reinterpret_cast<PyArrayObject*>(obj);
    if (PyArray_NDIM(array) != ndim || !is_float64(array)) {
        throw tessel::TypeError(wrong_type_message(obj, "ndarray"));
    }
    ArrayView view;
    view.data = static_cast<const std::byte*>(PyArray_DATA(array));
    view.ndim = ndim;
    for (int d = 0; d < ndim; ++d) {
        view.shape[d] = static_cast<std::size_t>(PyArray_DIM(array, d));
        view.strides[d] = PyArray_STRIDE(array, d);
    }
    view.aligned = PyArray_ISALIGNED(array);
    view.contiguous = PyArray_IS_C_CONTIGUOUS(array) || PyArray_IS_F_CONTIGUOUS(array);
    return view;
}

}  // namespace tessel::py
