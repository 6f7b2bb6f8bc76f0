#include "module/convert.hpp"

#include "module/detach.hpp"

#include <algorithm>
#include <cstring>
#include <limits>

namespace tessel::py {

std::string wrong_type_message(PyObject* obj, std::string_view target) {
    std::string msg;
    if (obj == Py_None) {
        msg.append("'None' is not an instance of '");
    } else {
        Ref qualname = Ref::steal(PyType_GetQualName(Py_TYPE(obj)));
        const char* text = qualname ? PyUnicode_AsUTF8(qualname.get()) : nullptr;
        if (text == nullptr) PyErr_Clear();
        msg.append(1, '\'');
        msg.append(text != nullptr ? text : "<failed to extract type name>");
        msg.append("' object is not an instance of '");
    }
    msg.append(target);
    msg.append(1, '\'');
    return msg;
}

void rename_pending_type_error(const char* name) {
    Ref exc = take_pending_exception();
    if (!exc) return;
    if (Py_TYPE(exc.get()) != reinterpret_cast<PyTypeObject*>(PyExc_TypeError)) {
        restore_pending_exception(std::move(exc));
        return;
    }
    Ref text = Ref::steal(PyObject_Str(exc.get()));
    if (!text) return;  // the failure to render it is now pending instead
    Ref message = Ref::steal(PyUnicode_FromFormat("argument '%s': %U", name, text.get()));
    if (!message) return;
    Ref renamed = Ref::steal(PyObject_CallOneArg(PyExc_TypeError, message.get()));
    if (!renamed) return;
    // SetCause steals the new reference that GetCause returned.
    if (PyObject* cause = PyException_GetCause(exc.get())) PyException_SetCause(renamed.get(), cause);
    restore_pending_exception(std::move(renamed));
}

std::string_view to_text(PyObject* obj) {
    if (!PyUnicode_Check(obj)) throw tessel::TypeError(wrong_type_message(obj, "str"));
    Py_ssize_t size = 0;
    const char* data = check(PyUnicode_AsUTF8AndSize(obj, &size));
    return {data, static_cast<std::size_t>(size)};
}

double to_float(PyObject* obj) {
    if (PyFloat_CheckExact(obj)) return PyFloat_AS_DOUBLE(obj);
    const double v = PyFloat_AsDouble(obj);
    if (v == -1.0 && PyErr_Occurred()) throw PythonErrorSet{};
    return v;
}

std::uint64_t to_count(PyObject* obj) {
    Ref owned;
    if (!PyLong_Check(obj)) {
        owned = Ref::steal(check(PyNumber_Index(obj)));
        obj = owned.get();
    }
    const unsigned long long v = PyLong_AsUnsignedLongLong(obj);
    if (v == static_cast<unsigned long long>(-1) && PyErr_Occurred()) throw PythonErrorSet{};
    return v;
}

std::int64_t to_i64(PyObject* obj) {
    static_assert(sizeof(long) == 8 || sizeof(long long) == 8);
#if defined(_WIN32)
    const long long v = PyLong_AsLongLong(obj);
#else
    const long v = PyLong_AsLong(obj);
#endif
    if (v == -1 && PyErr_Occurred()) throw PythonErrorSet{};
    return v;
}

std::uint32_t to_u32(PyObject* obj) {
    const std::int64_t v = to_i64(obj);
    if (v < 0 || v > static_cast<std::int64_t>(std::numeric_limits<std::uint32_t>::max())) {
        raise(PyExc_OverflowError, "out of range integral type conversion attempted");
    }
    return static_cast<std::uint32_t>(v);
}

namespace {

// NumPy's boolean scalar types, recognised by name so that NumPy need not be imported.
bool is_numpy_bool_type(PyTypeObject* type) {
    Ref module = Ref::steal(PyObject_GetAttrString(reinterpret_cast<PyObject*>(type), "__module__"));
    if (!module) {
        PyErr_Clear();
        return false;
    }
    const char* module_name = PyUnicode_Check(module.get()) ? PyUnicode_AsUTF8(module.get()) : nullptr;
    if (module_name == nullptr) {
        PyErr_Clear();
        return false;
    }
    if (std::string_view(module_name) != "numpy") return false;
    Ref name = Ref::steal(PyType_GetName(type));
    const char* type_name = name ? PyUnicode_AsUTF8(name.get()) : nullptr;
    if (type_name == nullptr) {
        PyErr_Clear();
        return false;
    }
    const std::string_view n(type_name);
    return n == "bool_" || n == "bool";
}

}  // namespace

bool to_flag(PyObject* obj) {
    if (obj == Py_True) return true;
    if (obj == Py_False) return false;
    PyTypeObject* type = Py_TYPE(obj);
    if (!is_numpy_bool_type(type)) throw tessel::TypeError(wrong_type_message(obj, "bool"));
    PyNumberMethods* number = type->tp_as_number;
    if (number == nullptr || number->nb_bool == nullptr) {
        Ref type_text = Ref::steal(check(PyObject_Str(reinterpret_cast<PyObject*>(type))));
        PyErr_Format(PyExc_TypeError, "object of type '%U' does not define a '__bool__' conversion",
                     type_text.get());
        throw PythonErrorSet{};
    }
    const int truth = number->nb_bool(obj);
    if (truth < 0) throw PythonErrorSet{};
    return truth != 0;
}

namespace detail {

void for_each_general_item(PyObject* seq, void (*size_hint)(void*, std::size_t), void* hint_ctx,
                           void (*each)(void*, PyObject*), void* each_ctx) {
    if (PyUnicode_Check(seq)) throw tessel::TypeError("Can't extract `str` to `Vec`");
    if (PyTuple_CheckExact(seq)) {
        // Tuples cannot change, so their items can be read in place.
        const Py_ssize_t n = PyTuple_GET_SIZE(seq);
        size_hint(hint_ctx, static_cast<std::size_t>(n));
        for (Py_ssize_t i = 0; i < n; ++i) each(each_ctx, PyTuple_GET_ITEM(seq, i));
        return;
    }
    if (PyList_CheckExact(seq)) {
        // A list may shrink while an element's conversion runs Python code, so
        // the length is re-read and every item is held while it is converted.
        size_hint(hint_ctx, static_cast<std::size_t>(PyList_GET_SIZE(seq)));
        for (Py_ssize_t i = 0; i < PyList_GET_SIZE(seq); ++i) {
#if PY_VERSION_HEX >= 0x030D0000
            Ref item = Ref::steal(PyList_GetItemRef(seq, i));
            if (!item) {
                if (PyErr_ExceptionMatches(PyExc_IndexError)) {
                    PyErr_Clear();
                    break;
                }
                throw PythonErrorSet{};
            }
#else
            Ref item = Ref::borrow(PyList_GET_ITEM(seq, i));
#endif
            each(each_ctx, item.get());
        }
        return;
    }
    if (!PySequence_Check(seq)) throw tessel::TypeError(wrong_type_message(seq, "Sequence"));
    // A length hint is only a hint: cap what it may make us reserve.
    const Py_ssize_t n = PyObject_LengthHint(seq, 0);
    if (n < 0) throw PythonErrorSet{};
    size_hint(hint_ctx, static_cast<std::size_t>(std::min<Py_ssize_t>(n, 1 << 16)));
    Ref iter = Ref::steal(check(PyObject_GetIter(seq)));
    while (Ref item = Ref::steal(PyIter_Next(iter.get()))) each(each_ctx, item.get());
    if (PyErr_Occurred()) throw PythonErrorSet{};
}

}  // namespace detail

TextList to_text_list(PyObject* seq) {
    TextList out;
    auto add = [&](PyObject* item) {
        out.texts.push_back(to_text(item));
        out.owners.push_back(Ref::borrow(item));
        out.ascii = out.ascii && PyUnicode_IS_ASCII(item);
    };
    read_items(
        seq,
        [&](std::size_t n) {
            out.owners.reserve(n);
            out.texts.reserve(n);
        },
        // An ASCII str is its own UTF-8: viewed without a conversion that may raise.
        [&](PyObject* item) {
            if (!PyUnicode_CheckExact(item) || !PyUnicode_IS_ASCII(item)) return false;
            out.texts.emplace_back(static_cast<const char*>(PyUnicode_DATA(item)),
                                   static_cast<std::size_t>(PyUnicode_GET_LENGTH(item)));
            out.owners.push_back(Ref::borrow(item));
            return true;
        },
        [&] {
            out.texts.clear();
            out.owners.clear();
        },
        add);
    return out;
}

Ref to_str(std::string_view head, std::string_view tail, bool ascii) {
    const std::size_t size = head.size() + tail.size();
    if (!ascii) {
        Ref first = Ref::steal(check(PyUnicode_FromStringAndSize(head.data(), static_cast<Py_ssize_t>(head.size()))));
        if (tail.empty()) return first;
        Ref second = Ref::steal(check(PyUnicode_FromStringAndSize(tail.data(), static_cast<Py_ssize_t>(tail.size()))));
        return Ref::steal(check(PyUnicode_Concat(first.get(), second.get())));
    }
    Ref str = Ref::steal(check(PyUnicode_New(static_cast<Py_ssize_t>(size), 127)));
    auto copy = [&] {
        char* const data = static_cast<char*>(PyUnicode_DATA(str.get()));
        std::memcpy(data, head.data(), head.size());
        if (!tail.empty()) std::memcpy(data + head.size(), tail.data(), tail.size());
    };
    // Below this the switch of threads costs more than the copy.
    constexpr std::size_t kDetachedCopy = std::size_t{1} << 16;
    if (size < kDetachedCopy) {
        copy();
    } else {
        Detached detached;
        copy();
    }
    return str;
}

}  // namespace tessel::py
