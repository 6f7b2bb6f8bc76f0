#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "chart/option_text.hpp"
#include "chart/ecdf_input.hpp"
#include "chart/ecdf_option.hpp"
#include "module/convert.hpp"
#include "module/detach.hpp"
#include "module/functions.hpp"

namespace tessel::py {

namespace {

// An exact float, read without raising (for read_items' sweep).
bool append_exact_float(PyObject* item, UninitializedBuffer<double>& coords) {
    if (!PyFloat_CheckExact(item)) return false;
    coords.push_back(PyFloat_AS_DOUBLE(item));
    return true;
}

// Appends the numbers of one point.
void append_point(PyObject* point, UninitializedBuffer<double>& coords) {
    const std::size_t start = coords.size();
    read_items(
        point, [&](std::size_t n) { coords.reserve(start + n); },
        [&](PyObject* number) { return append_exact_float(number, coords); }, [&] { coords.resize(start); },
        [&](PyObject* number) { coords.push_back(to_float(number)); });
}

// The points of a series. Under the GIL, an exact list of exact lists of
// exact floats (what compute_ecdf returns) is read in one sweep. Without the
// GIL each point is swept under its own lock after the outer list's sweep
// declined it: nested locks could let another thread change the outer list
// while an inner one is awaited.
void read_points(PyObject* points, chart::EcdfSeriesInput& entry) {
    auto add_point = [&](PyObject* point) {
        append_point(point, entry.coords);
        entry.point_ends.push_back(entry.coords.size());
    };
    read_items(
        points,
        [&](std::size_t n) {
            entry.point_ends.reserve(n);
            entry.coords.reserve(2 * n);
        },
        [&](PyObject* point) {
#ifdef Py_GIL_DISABLED
            (void)point;
            return false;
#else
            auto number = [&](PyObject* item) { return append_exact_float(item, entry.coords); };
            if (!detail::sweep_exact_items(point, number)) return false;
            entry.point_ends.push_back(entry.coords.size());
            return true;
#endif
        },
        [&] {
            entry.coords.clear();
            entry.point_ends.clear();
        },
        add_point);
}

chart::EcdfSeriesInput to_series_entry(PyObject* obj) {
    if (!PyTuple_Check(obj)) throw tessel::TypeError(wrong_type_message(obj, "tuple"));
    const Py_ssize_t length = PyTuple_GET_SIZE(obj);
    if (length != 4) {
        throw tessel::ValueError("expected tuple of length 4, but got tuple of length " + std::to_string(length));
    }
    chart::EcdfSeriesInput entry;
    entry.name = std::string(to_text(PyTuple_GET_ITEM(obj, 0)));
    PyObject* points = PyTuple_GET_ITEM(obj, 1);
    read_points(points, entry);
    entry.color = std::string(to_text(PyTuple_GET_ITEM(obj, 2)));
    PyObject* dash = PyTuple_GET_ITEM(obj, 3);
    if (dash != Py_None) entry.dash = to_vector<std::uint32_t>(dash, to_u32);
    return entry;
}

// The document holds non-ASCII bytes only where the caller's texts do.
bool all_ascii(const std::vector<chart::EcdfSeriesInput>& series, const chart::EcdfTexts& texts) {
    for (std::string_view text : {texts.title, texts.x_name, texts.x_unit, texts.x_label, texts.bg, texts.axis_color,
                                  texts.grid_color, texts.font_sans, texts.font_serif, texts.font_mono}) {
        if (!is_ascii(text)) return false;
    }
    return std::all_of(series.begin(), series.end(),
                       [](const chart::EcdfSeriesInput& s) { return is_ascii(s.name) && is_ascii(s.color); });
}

}  // namespace

PyObject* build_ecdf_option_json(const Args& args) {
    const auto series = convert_argument(
        "series", [&] { return to_vector<chart::EcdfSeriesInput>(args[0], to_series_entry); });
    chart::EcdfTexts texts;
    std::string_view* fields[] = {&texts.title,      &texts.x_name,     &texts.x_unit,    &texts.x_label,
                                  &texts.bg,         &texts.axis_color, &texts.grid_color, &texts.font_sans,
                                  &texts.font_serif, &texts.font_mono};
    // Parameters 1 to 10, in the order of the function table.
    for (std::size_t i = 0; i < std::size(fields); ++i) {
        *fields[i] = convert_argument(args.name(i + 1), [&] { return to_text(args[i + 1]); });
    }
    // The views into the text arguments stay valid while detached: the caller
    // holds those str objects for the whole call.
    const bool ascii = all_ascii(series, texts);
    // The text is formatted into a buffer of its upper bound, then copied
    // into a str of its length. Formatting straight into a str of the bound
    // and cutting it to length saves the copy but costs more: that str is
    // fresh memory from the system on every call, and faulting its pages in
    // is slower than the copy (the buffer's memory is reused by the next call).
    std::unique_ptr<char[]> buffer;
    chart::OptionText::Parts parts;
    {
        Detached detached;
        const chart::OptionTree document = chart::build_ecdf_option_tree(series, texts);
        const chart::OptionText text(document);
        buffer = std::make_unique_for_overwrite<char[]>(text.size_bound());
        parts = text.write_parts(buffer.get());
    }
    return to_str(parts.head, parts.tail, ascii).release();
}

}  // namespace tessel::py
