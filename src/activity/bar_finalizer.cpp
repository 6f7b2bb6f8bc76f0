#include "activity/bar_finalizer.hpp"

#include "activity/data_items.hpp"
#include "activity/data_text.hpp"
#include "activity/option_copy.hpp"
#include "activity/option_document.hpp"
#include "common/errors.hpp"

namespace tessel::activity {

namespace {

struct BarData {
    std::span<const double> percentages;
    std::span<const std::int64_t> counts;
    std::span<const std::string_view> colors;
};

void check_lengths(const BarData& data) {
    if (data.percentages.size() != data.counts.size() || data.counts.size() != data.colors.size()) {
        throw ValueError("percentages, counts, and colors must have equal length");
    }
}

// [{"value":…,"itemStyle":{"color":…},"count":…},…]
void write_bar_data(const void* context, std::size_t, TextWriter& text) {
    const BarData& data = *static_cast<const BarData*>(context);
    // Room for an item besides its colour: the punctuation, a direct value
    // (24 bytes) and a count (20).
    constexpr std::size_t kItemRoom = 96;
    text.put('[');
    for (std::size_t i = 0; i < data.percentages.size(); ++i) {
        const std::string_view color = data.colors[i];
        double z;
        if (text::direct_hundredths(data.percentages[i], z) && text::needs_no_escape(color)) {
            // The usual item, written in one piece.
            char* p = text.reserve(kItemRoom + color.size());
            if (i != 0) *p++ = ',';
            p = text::literal(p, "{\"value\":");
            p = text::hundredths_digits(p, z);
            p = text::literal(p, ",\"itemStyle\":{\"color\":\"");
            p = text::copy(p, color.data(), color.size());
            p = text::literal(p, "\"},\"count\":");
            p = text::decimal(p, data.counts[i]);
            *p++ = '}';
            text.commit(p);
            continue;
        }
        if (i != 0) text.put(',');
        text.put("{\"value\":");
        text.hundredths(data.percentages[i]);
        text.put(",\"itemStyle\":{\"color\":");
        text.string(color);
        text.put("},\"count\":");
        text.signed_number(data.counts[i]);
        text.put('}');
    }
    text.put(']');
}

}  // namespace

std::string finalize_bar_option(std::string_view option_json, std::span<const double> percentages,
                                std::span<const std::int64_t> counts, std::span<const std::string_view> colors) {
    const BarData data{percentages, counts, colors};
    check_lengths(data);
    OptionEdits edits;
    edits.write_data = write_bar_data;
    edits.context = &data;
    std::string out;
    // Room for the usual output (the text grows if it needs more): about 60
    // bytes per item besides its colour.
    std::size_t colors_size = 0;
    for (const std::string_view color : colors) colors_size += color.size();
    out.reserve(option_json.size() + percentages.size() * 60 + colors_size);
    if (copy_option_with_edits(option_json, edits, out)) return out;
    return finalize_bar_option_by_document(option_json, percentages, counts, colors);
}

std::string finalize_bar_option_by_document(std::string_view option_json, std::span<const double> percentages,
                                            std::span<const std::int64_t> counts,
                                            std::span<const std::string_view> colors) {
    check_lengths(BarData{percentages, counts, colors});
    json::JsonValue document = decode_option_document(option_json);

    json::JsonArray data;
    data.reserve(percentages.size());
    for (std::size_t i = 0; i < percentages.size(); ++i) {
        data.push_back(percentage_item(percentages[i], item_style(colors[i]), counts[i]));
    }

    json::JsonValue& first = element_at(member_or_insert(document, "series"), 0);
    member_or_insert(first, "data") = json::JsonValue::array(std::move(data));
    return encode_option_document(document);
}

}  // namespace tessel::activity
