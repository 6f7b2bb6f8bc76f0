#include "module/convert.hpp"
#include "module/functions.hpp"
#include "svg/render_option_svg.hpp"

namespace tessel::py {

PyObject* render_option_svg(const Args& args) {
    const std::string_view option_json = convert_argument("option_json", [&] { return to_text(args[0]); });
    const std::uint32_t width = convert_argument("width", [&] { return to_u32(args[1]); });
    const std::uint32_t height = convert_argument("height", [&] { return to_u32(args[2]); });
    // Stays attached: the view of option_json lives in the caller's str.
    const std::string svg = svg::render_option_svg(option_json, width, height);
    PyObject* text = PyUnicode_DecodeUTF8(svg.data(), static_cast<Py_ssize_t>(svg.size()), nullptr);
    if (text == nullptr) {
        if (PyErr_ExceptionMatches(PyExc_MemoryError)) throw PythonErrorSet{};
        throw tessel::InternalFailure("SVG text is not valid UTF-8: " + take_pending_error_text());
    }
    return text;
}

}  // namespace tessel::py
