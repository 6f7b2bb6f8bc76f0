#include "stats/total_order_sort.hpp"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

namespace tessel::stats {

namespace {

constexpr unsigned kDigitBits = 11;
constexpr unsigned kBuckets = 1u << kDigitBits;
constexpr unsigned kPasses = (64 + kDigitBits - 1) / kDigitBits;  // 6
constexpr std::size_t kSmall = 512;

// LSD radix sort over 11-bit digits. One read computes every digit's
// histogram; a digit that is the same for all keys needs no pass, which makes
// samples of low-precision values (whole numbers, say) cheap.
void radix_sort(std::uint64_t* keys, std::uint64_t* buffer, std::size_t n) {
    std::vector<std::array<std::size_t, kBuckets>> counts(kPasses);
    for (auto& c : counts) c.fill(0);
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint64_t k = keys[i];
        for (unsigned p = 0; p < kPasses; ++p) ++counts[p][(k >> (p * kDigitBits)) & (kBuckets - 1)];
    }
    std::uint64_t* src = keys;
    std::uint64_t* dst = buffer;
    for (unsigned p = 0; p < kPasses; ++p) {
        auto& count = counts[p];
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
    if (src != keys) std::memcpy(keys, src, n * sizeof *keys);
}

}  // namespace

void sort_total_order(std::vector<std::uint64_t>& bits, std::vector<std::uint64_t>& scratch) {
    const std::size_t n = bits.size();
    for (auto& b : bits) b = total_order_key(b);
    if (n <= kSmall) {
        std::sort(bits.begin(), bits.end());
    } else {
        scratch.resize(n);
        radix_sort(bits.data(), scratch.data(), n);
    }
    for (auto& b : bits) b = from_total_order_key(b);
}

}  // namespace tessel::stats
