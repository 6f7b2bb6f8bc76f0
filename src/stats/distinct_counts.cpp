#include "stats/distinct_counts.hpp"

#include <bit>

namespace tessel::stats {

namespace {

constexpr std::uint64_t kEmpty = 0x7ff8dead0000beefULL;  // a NaN: never a sample value

struct Slot {
    std::uint64_t key = kEmpty;
    std::uint64_t count = 0;
};

}  // namespace

bool count_distinct(std::span<const std::uint64_t> bits, std::size_t limit, DistinctCounts& out) {
    // At most half full, so probes stay short; small enough to stay in cache.
    const std::size_t capacity = std::bit_ceil(limit * 2 + 2);
    const unsigned shift = 64 - static_cast<unsigned>(std::countr_zero(capacity));
    const std::size_t mask = capacity - 1;
    std::vector<Slot> table(capacity);
    std::size_t distinct = 0;
    for (const std::uint64_t key : bits) {
        std::size_t slot = static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ULL) >> shift);
        while (true) {
            Slot& s = table[slot];
            if (s.key == key) {
                ++s.count;
                break;
            }
            if (s.key == kEmpty) {
                if (++distinct > limit) return false;
                s.key = key;
                s.count = 1;
                break;
            }
            slot = (slot + 1) & mask;
        }
    }
    out.clear();
    out.reserve(distinct);
    for (const Slot& s : table) {
        if (s.key != kEmpty) out.emplace_back(s.key, s.count);
    }
    return true;
}

}  // namespace tessel::stats
