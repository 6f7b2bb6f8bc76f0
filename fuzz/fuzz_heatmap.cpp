// The heatmap finalizer on arbitrary option text with a generated matrix in
// any layout and either flag: every run ends in a result that reads back as
// JSON or in one of the finalizer's refusals and internal failures.
#include "activity/heatmap_finalizer.hpp"
#include "fuzz_support.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    FuzzedDataProvider& p = in.params;
    const bool update_visual_max = p.ConsumeBool();
    const std::size_t rows = fuzz::consume_length(p, 12);
    const fuzz::MatrixInput matrix = fuzz::consume_matrix(p, rows, fuzz::consume_length(p, 12));
    fuzz::check_finalizer(
        in.text, {}, [&] { return tessel::activity::finalize_heatmap_option(in.text, matrix.view, update_visual_max); }, {},
        [&](std::string_view m) {
            return fuzz::is_access_failure(m) || fuzz::is_access_failure(m, "data") ||
                   (update_visual_max && fuzz::is_access_failure(m, "max"));
        });
    return 0;
}
