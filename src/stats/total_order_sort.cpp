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

// LSD radix sort over bytes: 256 output streams per pass stay within the
// first-level cache. One read computes every byte's histogram; a byte that is
// the same in all keys needs no pass, which makes samples of low-precision
// values (whole numbers, say) cheap. Returns true when the sorted keys ended
// up in `buffer`.
bool radix_sort(std::uint64_t* keys, std::uint64_t* buffer, std::size_t n) {
    auto counts = std::make_unique<Histograms>();
    for (auto& c : *counts) c.fill(0);
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint64_t k = keys[i];
        for (unsigned p = 0; p < kPasses; ++p) ++(*counts)[p][(k >> (p * kDigitBits)) & (kBuckets - 1)];
    }
    std::uint64_t* src = keys;
    std::uint64_t* dst = buffer;
    for (unsigned p = 0; p < kPasses; ++p) {
        auto& count = (*counts)[p];
        const unsigned shift = p * kDigitBits;
        if (count[(src[0] >> shift) & (kBuckets - 1)] == n) continue;
        std::size_t offset = 0;
        for (auto& c : count) offset += std::exchange(c, offset);
        for (std::size_t i = 0; i < n; ++i) {
            const std::uint64_t k = src[i];
            dst[count[(k >> shift) & (kBuckets - 1)]++] = k;
        }
        std::swap(src, dst);
    }
    return src != keys;
}

}  // namespace

void sort_total_order(UninitializedBuffer<std::uint64_t>& bits, UninitializedBuffer<std::uint64_t>& scratch) {
    const std::size_t n = bits.size();
    for (auto& b : bits) b = total_order_key(b);
    scratch.resize(n);
    if (n <= kSmall) {
        std::sort(bits.begin(), bits.end());
    } else if (radix_sort(bits.data(), scratch.data(), n)) {
        bits.swap(scratch);
    }
    for (auto& b : bits) b = from_total_order_key(b);
}

}  // namespace tessel::stats
