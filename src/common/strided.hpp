#pragma once
// Read-only views of caller memory that the core can walk without Python.
#include <cstddef>
#include <cstring>
#include <span>

namespace tessel {

// A 2-D matrix of doubles with byte strides, in logical (row, column) order.
// Elements may be misaligned, so every read goes through memcpy (which the
// compiler turns into one unaligned load).
struct StridedMatrix {
    const std::byte* data = nullptr;
    std::size_t rows = 0;
    std::size_t cols = 0;
    std::ptrdiff_t row_stride = 0;  // bytes
    std::ptrdiff_t col_stride = 0;  // bytes

    double at(std::size_t r, std::size_t c) const noexcept {
        double v;
        std::memcpy(&v,
                    data + static_cast<std::ptrdiff_t>(r) * row_stride +
                        static_cast<std::ptrdiff_t>(c) * col_stride,
                    sizeof v);
        return v;
    }
    std::size_t size() const noexcept { return rows * cols; }
    // True when the elements lie row after row with no gaps (C order).
    bool row_major() const noexcept {
        return (cols <= 1 || col_stride == static_cast<std::ptrdiff_t>(sizeof(double))) &&
               (rows <= 1 || row_stride == static_cast<std::ptrdiff_t>(cols * sizeof(double)));
    }
};

}  // namespace tessel
