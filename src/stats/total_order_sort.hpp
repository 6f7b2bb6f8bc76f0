#pragma once
// Sorting doubles, given as their bit patterns, by the IEEE 754 total order
// (in which -0.0 comes before +0.0).
#include <cstdint>

#include "common/uninitialized_buffer.hpp"

namespace tessel::stats {

// Order-preserving map from a double's bits to an unsigned key, and back.
constexpr std::uint64_t total_order_key(std::uint64_t bits) noexcept {
    // Negative numbers: flip everything (a larger magnitude sorts first);
    // others: set the sign bit so that they sort after every negative.
    return (bits >> 63) != 0 ? ~bits : bits | (std::uint64_t{1} << 63);
}
constexpr std::uint64_t from_total_order_key(std::uint64_t key) noexcept {
    return (key >> 63) != 0 ? key & ~(std::uint64_t{1} << 63) : ~key;
}

// Sorts the bit patterns ascending by total order. `scratch` is resized to
// the same length; the two buffers may be swapped, and scratch is left
// holding unspecified values.
void sort_total_order(UninitializedBuffer<std::uint64_t>& bits, UninitializedBuffer<std::uint64_t>& scratch);

}  // namespace tessel::stats
