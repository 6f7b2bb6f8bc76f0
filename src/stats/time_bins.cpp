#include "stats/time_bins.hpp"

#include "common/errors.hpp"

namespace tessel::stats {

namespace {
constexpr std::uint64_t kMinutesPerDay = 1440;

void put_two_digits(char* out, std::uint64_t v) {
    out[0] = static_cast<char>('0' + v / 10);
    out[1] = static_cast<char>('0' + v % 10);
}
}  // namespace

std::vector<ClockLabel> activity_time_bin_labels(std::uint64_t n_bins) {
    if (n_bins == 0 || kMinutesPerDay % n_bins != 0) {
        throw ValueError("n_bins must be a positive divisor of 1440");
    }
    const std::uint64_t width = kMinutesPerDay / n_bins;
    std::vector<ClockLabel> labels(n_bins);
    for (std::uint64_t i = 0; i < n_bins; ++i) {
        const std::uint64_t minute = i * width;  // below 1440, so the hour is at most 23
        ClockLabel& label = labels[i];
        put_two_digits(label.data(), minute / 60);
        label[2] = ':';
        put_two_digits(label.data() + 3, minute % 60);
    }
    return labels;
}

}  // namespace tessel::stats
