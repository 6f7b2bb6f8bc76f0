#include "activity/heatmap_finalizer.hpp"

#include <cmath>
#include <cstring>

#include "activity/hundredths.hpp"
#include "activity/option_targets.hpp"

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

// Room for a cell: three numbers and their punctuation.
constexpr std::size_t kCellRoom = 8 + 2 * 20 + kHundredthsRoom;

double visual_max_of(const StridedMatrix& matrix) {
    VisualMax top;
    for_each_cell(matrix, [&](std::size_t, std::size_t, double v) {
        if (!std::isnan(v)) top.add(v);
    });
    return top.value();
}

}  // namespace

std::string finalize_heatmap_option(std::string_view option_json, const StridedMatrix& matrix,
                                    bool update_visual_max) {
    const json::JsonDocument document = decode_option_document(option_json);
    const json::JsonView root = document.root();
    json::DocumentEdits edits;
    // [[c,r,v],…] over the non-NaN cells.
    const json::JsonView first = element_at(root.member("series"), 0);
    const auto write_data = [&](json::TextWriter& out, char* p) {
        p = out.put(p, '[');
        bool first = true;
        for_each_cell(matrix, [&](std::size_t r, std::size_t c, double v) {
            if (std::isnan(v)) return;
            p = out.room(p, kCellRoom);
            *p = ',';
            p += !first;
            first = false;
            *p++ = '[';
            p = json::TextWriter::unsigned_text(c, p);
            *p++ = ',';
            p = json::TextWriter::unsigned_text(r, p);
            *p++ = ',';
            p = hundredths_text(v, p);
            *p++ = ']';
        });
        return out.put(p, ']');
    };
    member_or_insert(edits, first, "data", write_data);
    const double max = update_visual_max ? visual_max_of(matrix) : 0.0;
    const auto write_max = [max](json::TextWriter& out, char* p) {
        return json::TextWriter::float_text(max, out.room(p, json::TextWriter::kScalarRoom));
    };
    // A missing "visualMap" is inserted as null, which becomes {"max": …}.
    const auto write_max_object = [&](json::TextWriter& out, char* p) {
        return out.put(write_max(out, out.put(p, "{\"max\":", 7)), '}');
    };
    if (update_visual_max) {
        if (const json::JsonView visual_map = root.member("visualMap")) {
            member_or_insert(edits, visual_map, "max", write_max);
        } else {
            edits.append(root, "visualMap", write_max_object);
        }
    }
    return json::to_json(document, edits, option_json.size() + matrix.size() * 20);
}

}  // namespace tessel::activity
