#pragma once
// The bodies behind the module's functions: each converts its bound
// arguments (in parameter order), runs the core and builds the Python result.
#include "module/args.hpp"

namespace tessel::py {

PyObject* compute_ecdf(const Args& args);
PyObject* build_ecdf_option_json(const Args& args);
PyObject* finalize_activity_bar_option_json(const Args& args);
PyObject* finalize_activity_comparison_option_json(const Args& args);
PyObject* finalize_activity_heatmap_option_json(const Args& args);
PyObject* activity_time_bin_labels(const Args& args);
PyObject* render_option_svg(const Args& args);

}  // namespace tessel::py
