// The bar finalizer on arbitrary option text with generated percentages,
// counts and colours (lengths sometimes disagreeing). The one-pass copy and
// the document path must give the same outcome: the same text, or the same
// error with the same message. Every outcome is a result that reads back as
// JSON, or one of the specified refusals and internal failures.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "activity/bar_finalizer.hpp"
#include "fuzz_support.hpp"
#include "json/reader.hpp"

using fuzz::check;
using fuzz::Outcome;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::Input input = fuzz::split_input(data, size);
    FuzzedDataProvider p(input.params, input.params_size);
    const std::size_t n = fuzz::consume_length(p, 64);
    std::vector<double> percentages(n);
    for (double& x : percentages) x = fuzz::consume_double(p);
    std::vector<std::int64_t> counts(fuzz::consume_near(p, n));
    for (std::int64_t& c : counts) c = fuzz::consume_count(p);
    std::vector<std::string> colour_texts(fuzz::consume_near(p, n));
    for (std::string& c : colour_texts) c = fuzz::consume_colour(p);
    const std::vector<std::string_view> colours(colour_texts.begin(), colour_texts.end());

    const Outcome outcome = fuzz::outcome_of(
        [&] { return tessel::activity::finalize_bar_option(input.text, percentages, counts, colours); });

    const std::string_view m = outcome.text;
    switch (outcome.kind) {
        case Outcome::Result:
            fuzz::check_result_text(outcome.text, input.text, colours);
            break;
        case Outcome::Value:
            check(m == "percentages, counts, and colors must have equal length" ||
                  m == "option JSON root must be an object" || fuzz::is_decode_error(m, input.text));
            break;
        case Outcome::Internal:
            check(fuzz::is_first_entry_failure(m) || fuzz::is_key_failure(m, "data"));
            break;
        case Outcome::Type:
            check(false);
            break;
    }
    return 0;
}
