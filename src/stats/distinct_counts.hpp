#pragma once
// Counting the distinct values of a sample that has few of them.
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

namespace tessel::stats {

// (bit pattern, occurrences) of each distinct value, in no particular order.
using DistinctCounts = std::vector<std::pair<std::uint64_t, std::uint64_t>>;

// Counts the occurrences of each distinct value of a sample that has at most
// `limit` of them; gives up (returns false) as soon as it finds more.
// Non-finite values are not counted; `all_finite` tells whether there were any.
bool count_distinct(std::span<const double> values, std::size_t limit, DistinctCounts& out, bool& all_finite);

}  // namespace tessel::stats
