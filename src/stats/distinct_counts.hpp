#pragma once
// Counting the distinct values of a sample that has few of them.
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

namespace tessel::stats {

// (bit pattern, occurrences) of each distinct value, in no particular order.
using DistinctCounts = std::vector<std::pair<std::uint64_t, std::uint64_t>>;

// Counts the occurrences of each distinct bit pattern when the sample has at
// most `limit` of them; gives up (returns false) as soon as it finds more.
// The sample must not contain NaN patterns (one of them marks empty slots).
bool count_distinct(std::span<const std::uint64_t> bits, std::size_t limit, DistinctCounts& out);

}  // namespace tessel::stats
