#include <optional>
#include <vector>

#include "module/convert.hpp"
#include "module/functions.hpp"
#include "module/numpy_array.hpp"

namespace tessel::py {

PyObject* finalize_activity_bar_option_json(const Args& args) {
    const std::string_view option_json = convert_argument("option_json", [&] { return to_text(args[0]); });
    const ArrayView percentages = convert_argument("percentages", [&] { return to_float64_array(args[1], 1); });
    const auto counts = convert_argument("counts", [&] { return to_vector<std::int64_t>(args[2], to_i64); });
    const TextList colors = convert_argument("colors", [&] { return to_text_list(args[3]); });
    (void)option_json, (void)percentages.contiguous_1d(), (void)counts, (void)colors;
    throw tessel::InternalFailure("finalize_activity_bar_option_json is not available yet");
}

PyObject* finalize_activity_comparison_option_json(const Args& args) {
    const std::string_view option_json = convert_argument("option_json", [&] { return to_text(args[0]); });
    const ArrayView percentages = convert_argument("percentages", [&] { return to_float64_array(args[1], 2); });
    const auto counts = convert_argument("counts", [&] {
        return to_vector<std::vector<std::optional<std::int64_t>>>(args[2], [](PyObject* row) {
            return to_vector<std::optional<std::int64_t>>(row, [](PyObject* cell) -> std::optional<std::int64_t> {
                if (cell == Py_None) return std::nullopt;
                return to_i64(cell);
            });
        });
    });
    const TextList colors = convert_argument("colors", [&] { return to_text_list(args[3]); });
    const auto opacities = convert_argument("opacities", [&] { return to_vector<double>(args[4], to_float); });
    (void)option_json, (void)percentages, (void)counts, (void)colors, (void)opacities;
    throw tessel::InternalFailure("finalize_activity_comparison_option_json is not available yet");
}

PyObject* finalize_activity_heatmap_option_json(const Args& args) {
    const std::string_view option_json = convert_argument("option_json", [&] { return to_text(args[0]); });
    const ArrayView matrix = convert_argument("matrix", [&] { return to_float64_array(args[1], 2); });
    const bool update_visual_max =
        args.given(2) ? convert_argument("update_visual_max", [&] { return to_flag(args[2]); }) : false;
    (void)option_json, (void)matrix, (void)update_visual_max;
    throw tessel::InternalFailure("finalize_activity_heatmap_option_json is not available yet");
}

}  // namespace tessel::py
