#include "stats/ecdf.hpp"

#include <algorithm>
#include <bit>
#include <cstring>

#include "common/errors.hpp"
#include "stats/distinct_counts.hpp"
#include "stats/total_order_sort.hpp"

namespace tessel::stats {

namespace {

constexpr std::uint64_t kExponentMask = 0x7ff0000000000000ULL;

// Samples this large are first read into a small hash table of distinct
// values, which beats copying and sorting when there are few of them; the
// attempt stops early, at little cost, when there are many.
constexpr std::size_t kCountingMinSize = 4096;
constexpr std::size_t kCountingMaxDistinct = 1u << 14;

void validate(const Sample& sample, double cutoff) {
    if (sample.size == 0) throw ValueError("values must not be empty");
    if (!sample.all_finite) throw ValueError("values must contain only finite values");
    if (!(cutoff > 0.0 && cutoff <= 1.0)) {
        throw ValueError("cdf_cutoff must be finite and in the interval (0, 1]");
    }
}

// Emits points for runs of equal values, stopping at the cutoff. Output slot
// k never runs ahead of the input position, so it may write in place.
class StepWriter {
public:
    StepWriter(std::uint64_t* x_out, std::uint64_t* y_out, std::size_t n, double cutoff)
        : x_out_(x_out), y_out_(y_out), n_(static_cast<double>(n)), cutoff_(cutoff) {}

    // Adds the run starting with value `x_bits` whose end leaves `j` values
    // at or below it; returns false when the curve is complete.
    bool add(std::uint64_t x_bits, std::size_t j) {
        const double y = static_cast<double>(j) / n_;
        x_out_[count_] = x_bits;
        if (y > cutoff_) {
            y_out_[count_++] = std::bit_cast<std::uint64_t>(cutoff_);
            return false;
        }
        y_out_[count_++] = std::bit_cast<std::uint64_t>(y);
        return y != cutoff_;
    }
    std::size_t count() const noexcept { return count_; }

private:
    std::uint64_t* x_out_;
    std::uint64_t* y_out_;
    double n_;
    double cutoff_;
    std::size_t count_ = 0;
};

bool same_value(std::uint64_t a, std::uint64_t b) {
    return std::bit_cast<double>(a) == std::bit_cast<double>(b);  // -0.0 == +0.0
}

EcdfPoints from_counts(DistinctCounts& groups, std::size_t n, double cutoff) {
    std::sort(groups.begin(), groups.end(), [](const auto& a, const auto& b) {
        return total_order_key(a.first) < total_order_key(b.first);
    });
    BitsBuffer x(groups.size()), y(groups.size());
    StepWriter writer(x.data(), y.data(), n, cutoff);
    std::size_t j = 0;
    for (std::size_t g = 0; g < groups.size();) {
        const std::uint64_t first = groups[g].first;
        while (g < groups.size() && same_value(groups[g].first, first)) j += groups[g++].second;
        if (!writer.add(first, j)) break;
    }
    const std::size_t size = writer.count();
    return EcdfPoints(std::move(x), std::move(y), size);
}

EcdfPoints from_sorted(BitsBuffer sorted, BitsBuffer scratch, double cutoff) {
    const std::size_t n = sorted.size();
    StepWriter writer(sorted.data(), scratch.data(), n, cutoff);
    for (std::size_t i = 0; i < n;) {
        const std::uint64_t first = sorted[i];
        std::size_t j = i + 1;
        while (j < n && same_value(sorted[j], first)) ++j;
        if (!writer.add(first, j)) break;
        i = j;
    }
    const std::size_t size = writer.count();
    return EcdfPoints(std::move(sorted), std::move(scratch), size);
}

}  // namespace

Sample read_sample(std::span<const double> values) {
    Sample sample;
    sample.size = values.size();
    if (values.size() >= kCountingMinSize &&
        count_distinct(values, kCountingMaxDistinct, sample.groups, sample.all_finite)) {
        sample.counted = true;
        return sample;
    }
    sample.bits.resize(values.size());
    std::uint64_t* out = sample.bits.data();
    const auto* in = reinterpret_cast<const unsigned char*>(values.data());
    bool non_finite = false;
    for (std::size_t i = 0; i < values.size(); ++i) {
        std::uint64_t b;
        std::memcpy(&b, in + i * sizeof b, sizeof b);
        out[i] = b;
        non_finite |= (b & kExponentMask) == kExponentMask;
    }
    sample.all_finite = !non_finite;
    return sample;
}

EcdfPoints compute_ecdf(Sample sample, double cutoff) {
    validate(sample, cutoff);
    if (sample.counted) return from_counts(sample.groups, sample.size, cutoff);
    BitsBuffer scratch;
    sort_total_order(sample.bits, scratch);
    return from_sorted(std::move(sample.bits), std::move(scratch), cutoff);
}


}  // namespace tessel::stats
