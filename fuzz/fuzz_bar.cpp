// The bar finalizer on arbitrary option text with generated percentages,
// counts and colours (lengths sometimes disagreeing): every run ends in a
// result that reads back as JSON or in one of the finalizer's refusals and
// internal failures.
#include "activity/bar_finalizer.hpp"
#include "fuzz_support.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    FuzzedDataProvider& p = in.params;
    std::vector<double> percentages(fuzz::consume_length(p, 64));
    for (double& x : percentages) x = fuzz::consume_double(p);
    std::vector<std::int64_t> counts(fuzz::consume_near(p, percentages.size()));
    for (std::int64_t& c : counts) c = fuzz::consume_count(p);
    const std::vector<std::string> colours = fuzz::consume_colours(p, fuzz::consume_near(p, percentages.size()));
    fuzz::check_finalizer(
        in.text, colours,
        [&] { return tessel::activity::finalize_bar_option(in.text, percentages, counts, fuzz::views(colours)); },
        {"percentages, counts, and colors must have equal length"},
        [](std::string_view m) { return fuzz::is_access_failure(m) || fuzz::is_access_failure(m, "data"); });
    return 0;
}
