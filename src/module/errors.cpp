#include "module/errors.hpp"

#include <new>
#include <string>

#include "common/errors.hpp"
#include "module/process_cache.hpp"
#include "module/ref.hpp"

namespace tessel::py {

void raise(PyObject* type, std::string_view message) {
    Ref text = Ref::steal(PyUnicode_FromStringAndSize(message.data(), static_cast<Py_ssize_t>(message.size())));
    if (text) PyErr_SetObject(type, text.get());
    throw PythonErrorSet{};
}

Ref take_pending_exception() {
#if PY_VERSION_HEX >= 0x030C0000
    return Ref::steal(PyErr_GetRaisedException());
#else
    PyObject *type = nullptr, *value = nullptr, *tb = nullptr;
    PyErr_Fetch(&type, &value, &tb);
    if (type == nullptr) return {};
    PyErr_NormalizeException(&type, &value, &tb);
    Ref type_ref = Ref::steal(type), tb_ref = Ref::steal(tb);
    if (tb != nullptr && value != nullptr) PyException_SetTraceback(value, tb);
    return Ref::steal(value);
#endif
}

void restore_pending_exception(Ref exc) {
#if PY_VERSION_HEX >= 0x030C0000
    PyErr_SetRaisedException(exc.release());
#else
    if (!exc) return;
    PyObject* type = reinterpret_cast<PyObject*>(Py_TYPE(exc.get()));
    Py_INCREF(type);
    PyErr_Restore(type, exc.release(), nullptr);
#endif
}

std::string take_pending_error_text() {
    Ref exc = take_pending_exception();
    Ref str = Ref::steal(exc ? PyObject_Str(exc.get()) : nullptr);
    const char* utf8 = str ? PyUnicode_AsUTF8(str.get()) : nullptr;
    std::string text = utf8 != nullptr ? utf8 : "unknown error";
    PyErr_Clear();
    return text;
}

namespace {

ProcessCache<PyObject> internal_failure_cache;

void set_internal_failure(const char* message) {
    PyObject* type = internal_failure_type();
    if (type == nullptr) return;  // the creation error is already set
    PyErr_SetString(type, message);
}

}  // namespace

PyObject* internal_failure_type() {
    return internal_failure_cache.get(
        [] {
            return PyErr_NewExceptionWithDoc(
                "tessel_vis._core.InternalFailure",
                "An unexpected failure inside tessel_vis._core. It derives from BaseException "
                "so that `except Exception` handlers do not hide it.",
                PyExc_BaseException, nullptr);
        },
        [](PyObject* lost) { Py_DECREF(lost); });
}

void set_python_error_from_current_exception() noexcept {
    try {
        throw;
    } catch (const PythonErrorSet&) {
        if (!PyErr_Occurred()) set_internal_failure("error indicator lost");
    } catch (const tessel::ValueError& e) {
        PyErr_SetString(PyExc_ValueError, e.what());
    } catch (const tessel::TypeError& e) {
        PyErr_SetString(PyExc_TypeError, e.what());
    } catch (const tessel::InternalFailure& e) {
        set_internal_failure(e.what());
    } catch (const std::bad_alloc&) {
        PyErr_NoMemory();
    } catch (const std::exception& e) {
        set_internal_failure(e.what());
    } catch (...) {
        set_internal_failure("unknown failure");
    }
}

}  // namespace tessel::py
