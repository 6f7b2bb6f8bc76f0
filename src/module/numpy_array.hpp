#pragma once
// Float64 NumPy array arguments. NumPy's C interface is loaded on the first
// array conversion (never at import), once per process.
#include <cstddef>
#include <span>
#include <vector>

#include "common/strided.hpp"
#include "module/python.hpp"

namespace tessel::py {

// A borrowed view of a float64 array argument with one or two dimensions.
struct ArrayView {
    const std::byte* data = nullptr;
    int ndim = 0;
    std::size_t shape[2] = {0, 0};
    std::ptrdiff_t strides[2] = {0, 0};  // bytes
    bool aligned = false;
    bool contiguous = false;  // C- or Fortran-contiguous

    std::size_t size() const noexcept { return ndim == 1 ? shape[0] : shape[0] * shape[1]; }

    // The elements of a 1-D array as one run of doubles; refuses (TypeError
    // "The given array is not contiguous or is misaligned.") a non-empty array
    // that is not aligned and contiguous.
    std::span<const double> contiguous_1d() const;

    StridedMatrix matrix() const noexcept {
        return {data, shape[0], shape[1], strides[0], strides[1]};
    }
};

// Accepts an ndarray (or subclass) with `ndim` dimensions whose dtype is
// equivalent to native float64; otherwise tessel::TypeError for target 'ndarray'.
ArrayView to_float64_array(PyObject* obj, int ndim);

}  // namespace tessel::py
