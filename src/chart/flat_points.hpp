#pragma once
// Data items of a series held flat: one run of numbers for all items and the
// end of each item in it. Hundreds of thousands of items then cost two
// buffers instead of one allocation each.
#include <cstddef>
#include <span>

namespace tessel::chart {

// A view; the owner of the two buffers must outlive it.
struct FlatPoints {
    std::span<const double> coords;
    // Item i holds coords[ends[i-1], ends[i]) (from 0 for the first item);
    // ends ascend and the last one is at most coords.size().
    std::span<const std::size_t> ends;

    std::size_t size() const noexcept { return ends.size(); }
    bool empty() const noexcept { return ends.empty(); }
};

}  // namespace tessel::chart
