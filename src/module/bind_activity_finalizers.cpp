#include <optional>
#include <string>
#include <vector>

#include "activity/bar_finalizer.hpp"
#include "activity/comparison_finalizer.hpp"
#include "activity/heatmap_finalizer.hpp"
#include "module/convert.hpp"
#include "module/functions.hpp"
#include "module/numpy_array.hpp"

namespace tessel::py {

namespace {

// An exact int that fits in a signed 64-bit integer, read without raising.
bool read_exact_i64(PyObject* item, std::int64_t& value) {
    if (!PyLong_CheckExact(item)) return false;
#if PY_VERSION_HEX >= 0x030C0000
    // Small ints (one digit) are read inline.
    const auto* number = reinterpret_cast<const PyLongObject*>(item);
    if (PyUnstable_Long_IsCompact(number)) {
        value = static_cast<std::int64_t>(PyUnstable_Long_CompactValue(number));
        return true;
    }
#endif
    int overflow = 0;
    const long long v = PyLong_AsLongLongAndOverflow(item, &overflow);
    if (overflow != 0 || (v == -1 && PyErr_Occurred())) {
        PyErr_Clear();
        return false;
    }
    value = static_cast<std::int64_t>(v);
    return true;
}

std::optional<std::int64_t> to_optional_i64(PyObject* cell) {
    if (cell == Py_None) return std::nullopt;
    return to_i64(cell);
}

// counts of the bar chart: list of signed 64-bit.
std::vector<std::int64_t> to_i64_list(PyObject* seq) { return to_vector<std::int64_t>(seq, to_i64, read_exact_i64); }

// One row of comparison counts: list of optional signed 64-bit.
activity::CountRow to_count_row(PyObject* row) {
    return to_vector<std::optional<std::int64_t>>(
        row, to_optional_i64, [](PyObject* item, std::optional<std::int64_t>& value) {
            if (item == Py_None) return true;  // left empty
            std::int64_t v;
            if (!read_exact_i64(item, v)) return false;
            value = v;
            return true;
        });
}

// opacities: list of float.
std::vector<double> to_float_list(PyObject* seq) {
    return to_vector<double>(seq, to_float, [](PyObject* item, double& value) {
        if (!PyFloat_CheckExact(item)) return false;
        value = PyFloat_AS_DOUBLE(item);
        return true;
    });
}

// The result holds a byte of 0x80 or more only where the option text or a
// colour does, or where an escape in the option text decodes to one. Without
// any of these it is ASCII without a look at it (a look at the result cost a
// twentieth of a small call); otherwise the result itself is looked at.
// `inputs_ascii`: the option str and the colours are ASCII.
PyObject* text_result(const std::string& text, std::string_view option_json, bool inputs_ascii) {
    const bool plain = inputs_ascii && option_json.find('\\') == std::string_view::npos;
    return to_str(text, {}, plain || is_ascii(text)).release();
}

}  // namespace

PyObject* finalize_activity_bar_option_json(const Args& args) {
    const std::string_view option_json = convert_argument("option_json", [&] { return to_text(args[0]); });
    const ArrayView percentages = convert_argument("percentages", [&] { return to_float64_array(args[1], 1); });
    const auto counts = convert_argument("counts", [&] { return to_i64_list(args[2]); });
    const TextList colors = convert_argument("colors", [&] { return to_text_list(args[3]); });
    // Contiguity first, then the lengths (inside the core), then decoding.
    const std::span<const double> run = percentages.contiguous_1d();
    return text_result(activity::finalize_bar_option(option_json, run, counts, colors.texts), option_json,
                       PyUnicode_IS_ASCII(args[0]) && colors.ascii);
}

PyObject* finalize_activity_comparison_option_json(const Args& args) {
    const std::string_view option_json = convert_argument("option_json", [&] { return to_text(args[0]); });
    const ArrayView percentages = convert_argument("percentages", [&] { return to_float64_array(args[1], 2); });
    const auto counts = convert_argument("counts", [&] { return to_vector<activity::CountRow>(args[2], to_count_row); });
    const TextList colors = convert_argument("colors", [&] { return to_text_list(args[3]); });
    const auto opacities = convert_argument("opacities", [&] { return to_float_list(args[4]); });
    return text_result(
        activity::finalize_comparison_option(option_json, percentages.matrix(), counts, colors.texts, opacities),
        option_json, PyUnicode_IS_ASCII(args[0]) && colors.ascii);
}

PyObject* finalize_activity_heatmap_option_json(const Args& args) {
    const std::string_view option_json = convert_argument("option_json", [&] { return to_text(args[0]); });
    const ArrayView matrix = convert_argument("matrix", [&] { return to_float64_array(args[1], 2); });
    const bool update_visual_max =
        args.given(2) ? convert_argument("update_visual_max", [&] { return to_flag(args[2]); }) : false;
    return text_result(activity::finalize_heatmap_option(option_json, matrix.matrix(), update_visual_max), option_json,
                       PyUnicode_IS_ASCII(args[0]));
}

}  // namespace tessel::py
