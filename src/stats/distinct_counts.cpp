#include "stats/distinct_counts.hpp"

#include <bit>
#include <cstring>

namespace tessel::stats {

namespace {

constexpr std::uint64_t kExponentMask = 0x7ff0000000000000ULL;
constexpr std::uint64_t kEmpty = 0x7ff8dead0000beefULL;  // a NaN: never a key

struct Slot {
    std::uint64_t key = kEmpty;
    std::uint64_t count = 0;
};

}  // namespace

bool count_distinct(std::span<const double> values, std::size_t limit, DistinctCounts& out, bool& all_finite) {
    // At most half full, so probes stay short; small enough to stay in cache.
    const std::size_t capacity = std::bit_ceil(limit * 2 + 2);
    const unsigned shift = 64 - static_cast<unsigned>(std::countr_zero(capacity));
    const std::size_t mask = capacity - 1;
    std::vector<Slot> table(capacity);
    std::size_t distinct = 0;
    bool non_finite = false;
    const auto* bytes = reinterpret_cast<const unsigned char*>(values.data());
    for (std::size_t i = 0; i < values.size(); ++i) {
        std::uint64_t key;
        std::memcpy(&key, bytes + i * sizeof key, sizeof key);
        if ((key & kExponentMask) == kExponentMask) {  // NaN or infinity: never a table key
            non_finite = true;
            continue;
        }
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
    all_finite = !non_finite;
    out.clear();
    out.reserve(distinct);
    for (const Slot& s : table) {
        if (s.key != kEmpty) out.emplace_back(s.key, s.count);
    }
    return true;
}

}  // namespace tessel::stats
