#include <string>
#include <vector>

#include "chart/ecdf_input.hpp"
#include "chart/ecdf_option.hpp"
#include "module/convert.hpp"
#include "module/detach.hpp"
#include "module/functions.hpp"

namespace tessel::py {

namespace {

// Appends the numbers of one point. An exact list of exact floats (what
// compute_ecdf returns) is read in one sweep; anything else goes through the
// general sequence conversion.
void append_point(PyObject* point, std::vector<double>& coords) {
    if (PyList_CheckExact(point)) {
        const std::size_t start = coords.size();
        bool all_floats = true;
#ifdef Py_BEGIN_CRITICAL_SECTION
        Py_BEGIN_CRITICAL_SECTION(point);
#endif
        const Py_ssize_t n = PyList_GET_SIZE(point);
        for (Py_ssize_t i = 0; i < n; ++i) {
            PyObject* item = PyList_GET_ITEM(point, i);
            if (!PyFloat_CheckExact(item)) {
                all_floats = false;
                break;
            }
            coords.push_back(PyFloat_AS_DOUBLE(item));
        }
#ifdef Py_END_CRITICAL_SECTION
        Py_END_CRITICAL_SECTION();
#endif
        if (all_floats) return;
        coords.resize(start);
    }
    for_each_item(point, [&](PyObject* number) { coords.push_back(to_float(number)); });
}

chart::EcdfSeriesInput to_series_entry(PyObject* obj) {
    if (!PyTuple_Check(obj)) throw tessel::TypeError(wrong_type_message(obj, "tuple"));
    const Py_ssize_t length = PyTuple_GET_SIZE(obj);
    if (length != 4) {
        throw tessel::ValueError("expected tuple of length 4, but got tuple of length " + std::to_string(length));
    }
    chart::EcdfSeriesInput entry;
    entry.name = std::string(to_text(PyTuple_GET_ITEM(obj, 0)));
    for_each_item(
        PyTuple_GET_ITEM(obj, 1),
        [&](std::size_t n) {
            entry.point_ends.reserve(n);
            entry.coords.reserve(2 * n);
        },
        [&](PyObject* point) {
            append_point(point, entry.coords);
            entry.point_ends.push_back(entry.coords.size());
        });
    entry.color = std::string(to_text(PyTuple_GET_ITEM(obj, 2)));
    PyObject* dash = PyTuple_GET_ITEM(obj, 3);
    if (dash != Py_None) entry.dash = to_vector<std::uint32_t>(dash, to_u32);
    return entry;
}

}  // namespace

PyObject* build_ecdf_option_json(const Args& args) {
    const auto series = convert_argument(
        "series", [&] { return to_vector<chart::EcdfSeriesInput>(args[0], to_series_entry); });
    chart::EcdfTexts texts;
    std::string_view* fields[] = {&texts.title,      &texts.x_name,     &texts.x_unit,    &texts.x_label,
                                  &texts.bg,         &texts.axis_color, &texts.grid_color, &texts.font_sans,
                                  &texts.font_serif, &texts.font_mono};
    Signature names{"", {"title", "x_name", "x_unit", "x_label", "bg", "axis_color", "grid_color", "font_sans",
                         "font_serif", "font_mono"}, 10, 10};
    for (std::size_t i = 0; i < 10; ++i) {
        *fields[i] = convert_argument(names.params[i], [&] { return to_text(args[i + 1]); });
    }
    // The views into the text arguments stay valid while detached: the caller
    // holds those str objects for the whole call.
    std::string json;
    {
        Detached detached;
        json = chart::build_ecdf_option_json(series, texts);
    }
    return Ref::steal(check(PyUnicode_FromStringAndSize(json.data(), static_cast<Py_ssize_t>(json.size()))))
        .release();
}

}  // namespace tessel::py
