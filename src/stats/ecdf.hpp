#pragma once
// Empirical cumulative distribution function as plot-ready step points.
#include <bit>
#include <cstdint>
#include <span>
#include <vector>

namespace tessel::stats {

// Step points in ascending x: y(i) is the fraction of the sample <= x(i), the
// last one clamped to the cutoff. The coordinates are kept as IEEE bit
// patterns so that they can reuse the sample's own buffers.
class EcdfPoints {
public:
    EcdfPoints() = default;
    EcdfPoints(std::vector<std::uint64_t> x_bits, std::vector<std::uint64_t> y_bits, std::size_t size)
        : x_(std::move(x_bits)), y_(std::move(y_bits)), size_(size) {}
    std::size_t size() const noexcept { return size_; }
    double x(std::size_t i) const noexcept { return std::bit_cast<double>(x_[i]); }
    double y(std::size_t i) const noexcept { return std::bit_cast<double>(y_[i]); }

private:
    std::vector<std::uint64_t> x_;
    std::vector<std::uint64_t> y_;
    std::size_t size_ = 0;
};

// The sample is given as the bit patterns of its doubles, owned: it is sorted
// in place and reused for the result, so at most one more buffer of its size
// is allocated. Throws tessel::ValueError for an empty sample, a non-finite
// value, or a cutoff that is not finite and in (0, 1].
EcdfPoints compute_ecdf(std::vector<std::uint64_t> sample_bits, double cutoff);

// Convenience for callers holding doubles: copies them first.
EcdfPoints compute_ecdf(std::span<const double> sample, double cutoff);

}  // namespace tessel::stats
