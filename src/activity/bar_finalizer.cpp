#include "activity/bar_finalizer.hpp"

#include "activity/data_item_text.hpp"
#include "activity/option_targets.hpp"
#include "common/errors.hpp"

namespace tessel::activity {

std::string finalize_bar_option(std::string_view option_json, std::span<const double> percentages,
                                std::span<const std::int64_t> counts, std::span<const std::string_view> colors) {
    if (percentages.size() != counts.size() || counts.size() != colors.size()) {
        throw ValueError("percentages, counts, and colors must have equal length");
    }
    const json::JsonDocument document = decode_option_document(option_json);
    const json::JsonView first = element_at(document.root().member("series"), 0);

    // [{"value":…,"itemStyle":{"color":…},"count":…},…]
    json::DocumentEdits edits;
    std::size_t colors_size = 0;
    for (const std::string_view color : colors) colors_size += color.size();
    const auto write_data = [&](json::TextWriter& out, char* p) {
        p = out.put(p, '[');
        for (std::size_t i = 0; i < percentages.size(); ++i) {
            p = out.room(p, kItemRoom);
            if (i != 0) *p++ = ',';
            p = item_start(p, percentages[i]);
            p = out.room(out.string(colors[i], p), kItemRoom);
            p = literal(p, "},\"count\":");
            p = json::TextWriter::signed_text(counts[i], p);
            *p++ = '}';
        }
        return out.put(p, ']');
    };
    member_or_insert(edits, first, "data", write_data);
    // About 60 bytes per item besides its colour.
    return json::to_json(document, edits, option_json.size() + percentages.size() * 60 + colors_size);
}

}  // namespace tessel::activity
