#include "module/convert.hpp"
#include "module/functions.hpp"
#include "stats/time_bins.hpp"

namespace tessel::py {

PyObject* activity_time_bin_labels(const Args& args) {
    const std::uint64_t n_bins = convert_argument("n_bins", [&] { return to_count(args[0]); });
    const auto labels = stats::activity_time_bin_labels(n_bins);
    Ref list = Ref::steal(check(PyList_New(static_cast<Py_ssize_t>(labels.size()))));
    for (std::size_t i = 0; i < labels.size(); ++i) {
        PyObject* text = check(PyUnicode_FromStringAndSize(labels[i].data(), labels[i].size()));
        PyList_SET_ITEM(list.get(), static_cast<Py_ssize_t>(i), text);
    }
    return list.release();
}

}  // namespace tessel::py
