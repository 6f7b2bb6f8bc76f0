#pragma once
// Empirical cumulative distribution function as plot-ready step points.
#include <bit>
#include <cstdint>
#include <span>
#include <vector>

#include "common/uninitialized_buffer.hpp"
#include "stats/distinct_counts.hpp"

namespace tessel::stats {

// Step points in ascending x: y(i) is the fraction of the sample <= x(i), the
// last one clamped to the cutoff. The coordinates are kept as IEEE bit
// patterns so that they can reuse the sample's own buffers.
using BitsBuffer = UninitializedBuffer<std::uint64_t>;

// The private copy of a sample, in one of two forms. A large sample with few
// distinct values is kept as its distinct values with their counts (which is
// all the ECDF needs, and far smaller and faster to make than a copy);
// any other sample as the bit patterns of all its doubles. Whether every value
// is finite is found while reading, so the caller's data is read only once.
struct Sample {
    std::size_t size = 0;
    bool all_finite = true;
    bool counted = false;     // `groups` holds the sample, `bits` is empty
    DistinctCounts groups;    // (bit pattern, occurrences), in no order
    BitsBuffer bits;
};

// Reads the doubles, in index order, into a private Sample.
Sample read_sample(std::span<const double> values);

class EcdfPoints {
public:
    EcdfPoints() = default;
    EcdfPoints(BitsBuffer x_bits, BitsBuffer y_bits, std::size_t size)
        : x_(std::move(x_bits)), y_(std::move(y_bits)), size_(size) {}
    std::size_t size() const noexcept { return size_; }
    double x(std::size_t i) const noexcept { return std::bit_cast<double>(x_[i]); }
    double y(std::size_t i) const noexcept { return std::bit_cast<double>(y_[i]); }

private:
    BitsBuffer x_;
    BitsBuffer y_;
    std::size_t size_ = 0;
};

// Consumes the sample: it is sorted in place and reused for the result, so at
// most one more buffer of its size is allocated. Throws tessel::ValueError for
// an empty sample, a non-finite value, or a cutoff that is not finite and in
// (0, 1], checked in that order.
EcdfPoints compute_ecdf(Sample sample, double cutoff);

}  // namespace tessel::stats
