#include "chart/option_document.hpp"

#include <span>

#include "chart/json_float_text.hpp"
#include "json/writer.hpp"

namespace tessel::chart {

namespace {

using json::JsonMember;
using json::JsonValue;

// Bytes of everything but the data for a chart-sized tree; a wrong guess only
// costs a reallocation.
constexpr std::size_t tree_bytes_guess = 4096;

std::size_t data_bytes_bound(const FlatPoints& points) {
    return 2 + points.coords.size() * (max_json_float_bytes + 1) + points.size() * 3;
}

// The json writer's entry points take time in proportion to the text already
// in their target (they resize it on entry), so they never write into the
// large output: tree text is gathered in a short buffer that is moved over
// whenever it grows or data follows.
class DocumentWriter {
public:
    explicit DocumentWriter(std::string& out) : out_(out) {
        pending_.reserve(pending_limit * 2);
    }
    DocumentWriter(const DocumentWriter&) = delete;
    DocumentWriter& operator=(const DocumentWriter&) = delete;
    ~DocumentWriter() { flush(); }

    void mark(char c) { pending_ += c; }

    void key(const JsonMember& member) {
        json::write_json_string(member.key, pending_);
        pending_ += ':';
    }

    void tree(const JsonValue& value) {
        json::write_json(value, pending_);
        if (pending_.size() >= pending_limit) flush();
    }

    // Gathered in a stack buffer and appended a few kilobytes at a time.
    void data_items(const FlatPoints& points) {
        flush();
        char chunk[4096];
        char* p = chunk;
        // Room for a separator, the formatter, and the marks closing a point and opening the next.
        constexpr std::ptrdiff_t room = json_float_room + 8;
        auto make_room = [&] {
            if (chunk + sizeof chunk - p < room) {
                out_.append(chunk, static_cast<std::size_t>(p - chunk));
                p = chunk;
            }
        };
        *p++ = '[';
        std::size_t begin = 0;
        const double* coords = points.coords.data();
        for (std::size_t i = 0; i < points.size(); ++i) {
            make_room();
            if (i != 0) *p++ = ',';
            *p++ = '[';
            const std::size_t end = points.ends[i];
            for (std::size_t j = begin; j < end; ++j) {
                make_room();
                if (j != begin) *p++ = ',';
                p = format_json_float(coords[j], p);
            }
            *p++ = ']';
            begin = end;
        }
        *p++ = ']';
        out_.append(chunk, static_cast<std::size_t>(p - chunk));
    }

private:
    static constexpr std::size_t pending_limit = 512;

    void flush() {
        out_.append(pending_);
        pending_.clear();
    }

    std::string& out_;
    std::string pending_;
};

void write_series_element(const JsonValue& element, const FlatPoints& data, DocumentWriter& writer) {
    if (!element.is_object() || data.empty()) {
        writer.tree(element);
        return;
    }
    writer.mark('{');
    bool first = true;
    for (const JsonMember& member : element.as_object()) {
        if (!first) writer.mark(',');
        first = false;
        writer.key(member);
        if (member.key == "data") {
            writer.data_items(data);
        } else {
            writer.tree(member.value);
        }
    }
    writer.mark('}');
}

void write_series(const json::JsonArray& series, std::span<const FlatPoints> data, DocumentWriter& writer) {
    writer.mark('[');
    for (std::size_t i = 0; i < series.size(); ++i) {
        if (i != 0) writer.mark(',');
        write_series_element(series[i], i < data.size() ? data[i] : FlatPoints{}, writer);
    }
    writer.mark(']');
}

}  // namespace

void write_option_document(const OptionDocument& document, std::string& out) {
    const JsonValue& root = document.root;
    if (!root.is_object() || document.series_data.empty()) {
        out += json::to_json(root);
        return;
    }
    std::size_t bound = out.size() + tree_bytes_guess;
    for (const FlatPoints& points : document.series_data) bound += data_bytes_bound(points);
    out.reserve(bound);

    DocumentWriter writer(out);
    writer.mark('{');
    bool first = true;
    for (const JsonMember& member : root.as_object()) {
        if (!first) writer.mark(',');
        first = false;
        writer.key(member);
        if (member.key == "series" && member.value.is_array()) {
            write_series(member.value.as_array(), document.series_data, writer);
        } else {
            writer.tree(member.value);
        }
    }
    writer.mark('}');
}

std::string to_json_text(const OptionDocument& document) {
    std::string out;
    write_option_document(document, out);
    return out;
}

}  // namespace tessel::chart
