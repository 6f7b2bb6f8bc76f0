// The comparison finalizer on arbitrary option text with a generated
// percentage table in any layout, count rows with absent cells, colours and
// opacities (dimensions sometimes disagreeing). The one-pass copy and the
// document path must give the same outcome, and every outcome is a result
// that reads back as JSON or one of the specified refusals and internal
// failures.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "activity/comparison_finalizer.hpp"
#include "fuzz_support.hpp"
#include "json/reader.hpp"

using fuzz::check;
using fuzz::Outcome;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::Input input = fuzz::split_input(data, size);
    FuzzedDataProvider p(input.params, input.params_size);
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
    std::vector<std::string> colour_texts(fuzz::consume_near(p, cols));
    for (std::string& c : colour_texts) c = fuzz::consume_colour(p);
    const std::vector<std::string_view> colours(colour_texts.begin(), colour_texts.end());
    std::vector<double> opacities(fuzz::consume_near(p, rows));
    for (double& x : opacities) x = fuzz::consume_double(p);

    const Outcome outcome = fuzz::outcome_of([&] {
        return tessel::activity::finalize_comparison_option(input.text, percentages.view, counts, colours, opacities);
    });

    const std::string_view m = outcome.text;
    switch (outcome.kind) {
        case Outcome::Result:
            fuzz::check_result_text(outcome.text, input.text, colours);
            break;
        case Outcome::Value:
            check(m == "comparison percentages, counts, colors, and opacities have incompatible dimensions" ||
                  m == "option JSON root must be an object" || m == "option JSON must contain a series array" ||
                  m == "comparison percentages must have one row per series" ||
                  fuzz::is_decode_error(m, input.text));
            break;
        case Outcome::Internal:
            check(fuzz::is_key_failure(m, "data"));
            break;
        case Outcome::Type:
            check(false);
            break;
    }
    return 0;
}
