// The heatmap finalizer on arbitrary option text with a generated matrix in
// any layout (C or Fortran order, gaps, reversed rows, misaligned) and either
// flag. The one-pass copy and the document path must give the same outcome,
// and every outcome is a result that reads back as JSON or one of the
// specified refusals and internal failures.
#include <cstdint>
#include <string>
#include <string_view>

#include "activity/heatmap_finalizer.hpp"
#include "fuzz_support.hpp"
#include "json/reader.hpp"

using fuzz::check;
using fuzz::Outcome;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::Input input = fuzz::split_input(data, size);
    FuzzedDataProvider p(input.params, input.params_size);
    const bool update_visual_max = p.ConsumeBool();
    const std::size_t rows = fuzz::consume_length(p, 12);
    const std::size_t cols = fuzz::consume_length(p, 12);
    const fuzz::MatrixInput matrix = fuzz::consume_matrix(p, rows, cols);

    const Outcome outcome = fuzz::outcome_of(
        [&] { return tessel::activity::finalize_heatmap_option(input.text, matrix.view, update_visual_max); });

    const std::string_view m = outcome.text;
    switch (outcome.kind) {
        case Outcome::Result:
            fuzz::check_result_text(outcome.text, input.text);
            break;
        case Outcome::Value:
            check(m == "option JSON root must be an object" || fuzz::is_decode_error(m, input.text));
            break;
        case Outcome::Internal:
            check(fuzz::is_first_entry_failure(m) || fuzz::is_key_failure(m, "data") ||
                  (update_visual_max && fuzz::is_key_failure(m, "max")));
            break;
        case Outcome::Type:
            check(false);
            break;
    }
    return 0;
}
