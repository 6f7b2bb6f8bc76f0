#include "module/convert.hpp"
#include "module/functions.hpp"

namespace tessel::py {

PyObject* render_option_svg(const Args& args) {
    const std::string_view option_json = convert_argument("option_json", [&] { return to_text(args[0]); });
    const std::uint32_t width = convert_argument("width", [&] { return to_u32(args[1]); });
    const std::uint32_t height = convert_argument("height", [&] { return to_u32(args[2]); });
    (void)option_json, (void)width, (void)height;
    throw tessel::InternalFailure("render_option_svg is not available yet");
}

}  // namespace tessel::py
