#pragma once
// Clock-time labels of the bins that divide one day.
#include <array>
#include <cstdint>
#include <vector>

namespace tessel::stats {

using ClockLabel = std::array<char, 5>;  // "HH:MM"

// One label per bin, the bin's start time. Throws tessel::ValueError unless
// n_bins is a positive divisor of 1440 (the minutes of a day).
std::vector<ClockLabel> activity_time_bin_labels(std::uint64_t n_bins);

}  // namespace tessel::stats
