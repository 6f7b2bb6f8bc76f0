#include "activity/heatmap_finalizer.hpp"

#include <cmath>
#include <cstring>

#include "activity/data_items.hpp"
#include "activity/data_text.hpp"
#include "activity/option_copy.hpp"
#include "activity/option_document.hpp"
#include "json/writer.hpp"

namespace tessel::activity {

namespace {

// Calls visit(r, c, value) for every cell in logical row-major order. A
// C-order matrix is read in place as one run; any other layout through its
// strides. Elements may be misaligned, so each is copied out bytewise.
template <class Visit>
void for_each_cell(const StridedMatrix& matrix, Visit&& visit) {
    if (matrix.row_major()) {
        const std::byte* p = matrix.data;
        for (std::size_t r = 0; r < matrix.rows; ++r) {
            for (std::size_t c = 0; c < matrix.cols; ++c, p += sizeof(double)) {
                double v;
                std::memcpy(&v, p, sizeof v);
                visit(r, c, v);
            }
        }
        return;
    }
    for (std::size_t r = 0; r < matrix.rows; ++r) {
        for (std::size_t c = 0; c < matrix.cols; ++c) visit(r, c, matrix.at(r, c));
    }
}

// The running maximum of the unrounded non-NaN cells (the first sets it).
struct VisualMax {
    bool any = false;
    double max = 0.0;

    void add(double v) noexcept {
        if (!any || v > max) max = v;
        any = true;
    }
    // 100.0 without any number, otherwise at least 1.0.
    double value() const noexcept {
        if (!any) return 100.0;
        return max > 1.0 ? max : 1.0;
    }
};

double visual_max_of(const StridedMatrix& matrix) {
    VisualMax top;
    for_each_cell(matrix, [&](std::size_t, std::size_t, double v) {
        if (!std::isnan(v)) top.add(v);
    });
    return top.value();
}

// [[c,r,v],…] over the non-NaN cells.
void write_heatmap_data(const void* context, std::size_t, TextWriter& text) {
    const StridedMatrix& matrix = *static_cast<const StridedMatrix*>(context);
    text.put('[');
    bool first = true;
    for_each_cell(matrix, [&](std::size_t r, std::size_t c, double v) {
        if (std::isnan(v)) return;
        text.put(first ? std::string_view("[") : std::string_view(",["));
        first = false;
        text.unsigned_number(c);
        text.put(',');
        text.unsigned_number(r);
        text.put(',');
        text.hundredths(v);
        text.put(']');
    });
    text.put(']');
}

}  // namespace

std::string finalize_heatmap_option(std::string_view option_json, const StridedMatrix& matrix,
                                    bool update_visual_max) {
    OptionEdits edits;
    edits.write_data = write_heatmap_data;
    edits.context = &matrix;
    std::string max_text;
    if (update_visual_max) {
        json::write_json(number_from_float(visual_max_of(matrix)), max_text);
        edits.set_visual_max = true;
        edits.visual_max_text = max_text;
    }
    std::string out;
    // Room for the usual output (the text grows if it needs more).
    out.reserve(option_json.size() + matrix.size() * 20);
    if (copy_option_with_edits(option_json, edits, out)) return out;
    return finalize_heatmap_option_by_document(option_json, matrix, update_visual_max);
}

std::string finalize_heatmap_option_by_document(std::string_view option_json, const StridedMatrix& matrix,
                                                bool update_visual_max) {
    json::JsonArray data;
    data.reserve(matrix.size());
    VisualMax top;
    for_each_cell(matrix, [&](std::size_t r, std::size_t c, double v) {
        if (std::isnan(v)) return;
        data.push_back(heatmap_cell(r, c, v));
        top.add(v);
    });
    json::JsonValue document = decode_option_document(option_json);

    json::JsonValue& first = element_at(member_or_insert(document, "series"), 0);
    member_or_insert(first, "data") = json::JsonValue::array(std::move(data));
    if (update_visual_max) {
        member_or_insert(member_or_insert(document, "visualMap"), "max") = number_from_float(top.value());
    }
    return encode_option_document(document);
}

}  // namespace tessel::activity
