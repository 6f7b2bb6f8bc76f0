// The comparison finalizer on arbitrary option text with a generated
// percentage table in any layout, count rows with absent cells, colours and
// opacities (dimensions sometimes disagreeing): every run ends in a result
// that reads back as JSON or in one of the finalizer's refusals and internal
// failures.
#include "activity/comparison_finalizer.hpp"
#include "fuzz_support.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    FuzzedDataProvider& p = in.params;
    const std::size_t rows = fuzz::consume_length(p, 8);
    const std::size_t cols = fuzz::consume_length(p, 8);
    const fuzz::MatrixInput percentages = fuzz::consume_matrix(p, rows, cols);
    std::vector<tessel::activity::CountRow> counts(fuzz::consume_near(p, rows));
    for (auto& row : counts) {
        row.resize(fuzz::consume_near(p, cols));
        for (auto& cell : row) {
            if (p.ConsumeBool()) cell = fuzz::consume_count(p);
        }
    }
    const std::vector<std::string> colours = fuzz::consume_colours(p, fuzz::consume_near(p, cols));
    std::vector<double> opacities(fuzz::consume_near(p, rows));
    for (double& x : opacities) x = fuzz::consume_double(p);
    fuzz::check_finalizer(
        in.text, colours,
        [&] {
            return tessel::activity::finalize_comparison_option(in.text, percentages.view, counts, fuzz::views(colours),
                                                                opacities);
        },
        {"comparison percentages, counts, colors, and opacities have incompatible dimensions",
         "option JSON must contain a series array", "comparison percentages must have one row per series"},
        [](std::string_view m) { return fuzz::is_access_failure(m, "data"); });
    return 0;
}
