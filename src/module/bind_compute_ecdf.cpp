#include "module/convert.hpp"
#include "module/detach.hpp"
#include "module/functions.hpp"
#include "module/numpy_array.hpp"
#include "stats/ecdf.hpp"

namespace tessel::py {

namespace {

// Holds off the cyclic garbage collector while a result of millions of new
// lists is made: each collection it triggers would walk the lists made so
// far, none of which can be garbage (a third of the time at 10^6 points).
// Its earlier state comes back however the making ends. Only with the GIL:
// without it the switch would hold for the other threads' code as well.
class CollectorPause {
public:
    CollectorPause() noexcept {
#ifndef Py_GIL_DISABLED
        was_enabled_ = PyGC_Disable() != 0;
#endif
    }
    ~CollectorPause() {
        if (was_enabled_) PyGC_Enable();
    }
    CollectorPause(const CollectorPause&) = delete;
    CollectorPause& operator=(const CollectorPause&) = delete;

private:
    bool was_enabled_ = false;
};

// [[x, y], ...] with the outer list allocated at its final length.
PyObject* points_to_list(const stats::EcdfPoints& points) {
    const auto n = static_cast<Py_ssize_t>(points.size());
    const CollectorPause pause;
    Ref list = Ref::steal(check(PyList_New(n)));
    for (Py_ssize_t i = 0; i < n; ++i) {
        Ref x = Ref::steal(check(PyFloat_FromDouble(points.x(static_cast<std::size_t>(i)))));
        Ref y = Ref::steal(check(PyFloat_FromDouble(points.y(static_cast<std::size_t>(i)))));
        PyObject* pair = check(PyList_New(2));
        PyList_SET_ITEM(pair, 0, x.release());
        PyList_SET_ITEM(pair, 1, y.release());
        PyList_SET_ITEM(list.get(), i, pair);
    }
    return list.release();
}

}  // namespace

PyObject* compute_ecdf(const Args& args) {
    const ArrayView values = convert_argument("values", [&] { return to_float64_array(args[0], 1); });
    const double cutoff = args.given(1) ? convert_argument("cdf_cutoff", [&] { return to_float(args[1]); }) : 1.0;
    const std::span<const double> run = values.contiguous_1d();

    // The caller's array is read only here, while attached, into a private sample.
    stats::Sample sample = stats::read_sample(run);

    stats::EcdfPoints points;
    {
        Detached detached;
        points = stats::compute_ecdf(std::move(sample), cutoff);
    }
    return points_to_list(points);
}

}  // namespace tessel::py
