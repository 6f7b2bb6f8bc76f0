#include "stats/total_order_sort.hpp"

#include <algorithm>
#include <array>
#include <memory>
#include <utility>

namespace tessel::stats {

namespace {

constexpr unsigned kDigitBits = 8;
constexpr unsigned kBuckets = 1u << kDigitBits;
constexpr unsigned kPasses = 64 / kDigitBits;
constexpr std::size_t kSmall = 256;

using Histograms = std::array<std::array<std::size_t, kBuckets>, kPasses>;

// LSD radix sort over bytes of the total-order keys: 256 output streams per
// pass stay within the first-level cache. One read turns the bit patterns
// into keys and computes every byte's histogram; a byte that is the same in
// all keys needs no pass, which makes samples of low-precision values (whole
// numbers, say) cheap; the last pass turns keys back into bit patterns.
// Returns true when the result ended up in `buffer`.
bool radix_sort(std::uint64_t* bits, std::uint64_t* buffer, std::size_t n) {
    auto counts = std::make_unique<Histograms>();
    for (auto& c : *counts) c.fill(0);
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint64_t k = total_order_key(bits[i]);
        bits[i] = k;
        for (unsigned p = 0; p < kPasses; ++p) ++(*counts)[p][(k >> (p * kDigitBits)) & (kBuckets - 1)];
    }
    unsigned active[kPasses];
    unsigned n_active = 0;
    for (unsigned p = 0; p < kPasses; ++p) {
        if ((*counts)[p][(bits[0] >> (p * kDigitBits)) & (kBuckets - 1)] != n) active[n_active++] = p;
    }
    std::uint64_t* src = bits;
    std::uint64_t* dst = buffer;
    for (unsigned a = 0; a < n_active; ++a) {
        auto& count = (*counts)[active[a]];
        const unsigned shift = active[a] * kDigitBits;
        std::size_t offset = 0;
        for (auto& c : count) offset += std::exchange(c, offset);
        if (a + 1 < n_active) {
            for (std::size_t i = 0; i < n; ++i) {
                const std::uint64_t k = src[i];
                dst[count[(k >> shift) & (kBuckets - 1)]++] = k;
            }
        } else {
            for (std::size_t i = 0; i < n; ++i) {
                const std::uint64_t k = src[i];
                dst[count[(k >> shift) & (kBuckets - 1)]++] = from_total_order_key(k);
            }
        }
        std::swap(src, dst);
    }
    if (n_active == 0) {
        for (std::size_t i = 0; i < n; ++i) bits[i] = from_total_order_key(bits[i]);
    }
    return src != bits;
}

}  // namespace

void sort_total_order(UninitializedBuffer<std::uint64_t>& bits, UninitializedBuffer<std::uint64_t>& scratch) {
    const std::size_t n = bits.size();
    scratch.resize(n);
    if (n > kSmall) {
        if (radix_sort(bits.data(), scratch.data(), n)) bits.swap(scratch);
        return;
    }
    for (auto& b : bits) b = total_order_key(b);
    std::sort(bits.begin(), bits.end());
    for (auto& b : bits) b = from_total_order_key(b);
}

}  // namespace tessel::stats
