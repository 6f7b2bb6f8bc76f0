#include "chart/option_text.hpp"

#include <algorithm>
#include <cstring>
#include <optional>
#include <span>
#include <thread>

#include "json/float_text.hpp"
#include "json/writer.hpp"

namespace tessel::chart {

namespace {

using json::format_json_float;
using json::json_float_room;
using json::max_json_float_bytes;
using json::JsonMember;
using json::JsonValue;

// Below this many coordinates a second thread saves too little to be sure
// of paying for itself on a busy machine (measured: 32,000 numbers formatted
// in two parts take about 0.7 of the time of one part).
constexpr std::size_t parallel_min_numbers = 32'000;

bool two_cores() {
    static const bool answer = std::thread::hardware_concurrency() >= 2;
    return answer;
}

// A whole-value write sizes its target up to its capacity and back, which
// costs time in proportion to the text already there; so values go through a
// short scratch string first. Keys are appended directly.
class TreeWriter {
public:
    explicit TreeWriter(std::string& out) : out_(out) {}
    void key(std::string_view key) {
        json::write_json_string(key, out_);
        out_ += ':';
    }
    void value(const JsonValue& value) {
        scratch_.clear();
        json::write_json(value, scratch_);
        out_ += scratch_;
    }

private:
    std::string& out_;
    std::string scratch_;
};

}  // namespace

OptionText::OptionText(const OptionTree& document) {
    TreeWriter tree(text_);
    // The root, with each series' "data" stand-in replaced by its points.
    text_ += '{';
    bool first = true;
    for (const JsonMember& member : document.root.as_object()) {
        if (!first) text_ += ',';
        first = false;
        tree.key(member.key);
        if (member.key != "series") {
            tree.value(member.value);
            continue;
        }
        const json::JsonArray& series = member.value.as_array();
        text_ += '[';
        for (std::size_t i = 0; i < series.size(); ++i) {
            text_ += i == 0 ? "{" : ",{";
            bool first_member = true;
            for (const JsonMember& field : series[i].as_object()) {
                if (!first_member) text_ += ',';
                first_member = false;
                tree.key(field.key);
                if (field.key == "data") {
                    add_data(document.series_data.at(i));
                } else {
                    tree.value(field.value);
                }
            }
            text_ += '}';
        }
        text_ += ']';
    }
    text_ += '}';
    add_text_piece();
    cut_ = pieces_.size();
    split_in_two();
    set_bounds();
}

void OptionText::add_text_piece() {
    const std::size_t begin = pieces_.empty() ? 0 : pieces_.back().text_end;
    pieces_.push_back({begin, text_.size(), {}});
}

void OptionText::add_data(const FlatPoints& points) {
    add_text_piece();
    pieces_.back().data = {points, 0, points.size(), true, true};
}

// Splits the data run holding the middle coordinate, so that each part has
// about half of the numbers to format.
void OptionText::split_in_two() {
    std::size_t total = 0;
    for (const Piece& piece : pieces_) total += piece.data.points.coords.size();
    if (total >= parallel_min_numbers) {
        std::size_t before = 0;
        for (std::size_t i = 0; i < pieces_.size(); ++i) {
            DataRun& run = pieces_[i].data;
            const std::size_t numbers = run.points.coords.size();
            if (before + numbers < total / 2) {
                before += numbers;
                continue;
            }
            // The first item that ends past the middle goes to the second part.
            const auto ends = run.points.ends;
            const auto middle = std::upper_bound(ends.begin(), ends.end(), total / 2 - before);
            DataRun second{run.points, static_cast<std::size_t>(middle - ends.begin()), run.last, false, run.closes};
            run.last = second.first;
            run.closes = false;
            const std::size_t at = pieces_[i].text_end;
            pieces_.insert(pieces_.begin() + static_cast<std::ptrdiff_t>(i) + 1, Piece{at, at, second});
            cut_ = i + 1;
            break;
        }
    }
}

void OptionText::set_bounds() {
    first_bound_ = json_float_room;
    second_bound_ = cut_ == pieces_.size() ? 0 : json_float_room;
    for (std::size_t i = 0; i < pieces_.size(); ++i) {
        const std::size_t bound = pieces_[i].text_end - pieces_[i].text_begin + data_bound(pieces_[i].data);
        (i < cut_ ? first_bound_ : second_bound_) += bound;
    }
}

std::size_t OptionText::data_bound(const DataRun& run) noexcept {
    const std::size_t begin = run.first == 0 ? 0 : run.points.ends[run.first - 1];
    const std::size_t end = run.first == run.last ? begin : run.points.ends[run.last - 1];
    // A separator and the brackets per item, a separator per further number.
    return 2 + (run.last - run.first) * 3 + (end - begin) * (max_json_float_bytes + 1);
}

char* OptionText::write_data(const DataRun& run, char* p) noexcept {
    if (run.opens) *p++ = '[';
    const double* coords = run.points.coords.data();
    const std::size_t* ends = run.points.ends.data();
    std::size_t begin = run.first == 0 ? 0 : ends[run.first - 1];
    for (std::size_t i = run.first; i < run.last; ++i) {
        if (i != 0) *p++ = ',';
        *p++ = '[';
        const std::size_t end = ends[i];
        for (std::size_t j = begin; j < end; ++j) {
            if (j != begin) *p++ = ',';
            p = format_json_float(coords[j], p);
        }
        *p++ = ']';
        begin = end;
    }
    if (run.closes) *p++ = ']';
    return p;
}

char* OptionText::write_pieces(std::size_t begin, std::size_t end, char* p) const noexcept {
    for (std::size_t i = begin; i < end; ++i) {
        const Piece& piece = pieces_[i];
        const std::size_t length = piece.text_end - piece.text_begin;
        std::memcpy(p, text_.data() + piece.text_begin, length);
        p = write_data(piece.data, p + length);
    }
    return p;
}

// The second part is written after the first part's bound, by a second
// thread when one can be started.
OptionText::Parts OptionText::write_parts(char* out) const noexcept {
    if (cut_ == pieces_.size()) return {{out, static_cast<std::size_t>(write_pieces(0, cut_, out) - out)}, {}};
    char* const second = out + first_bound_;
    char* second_end = nullptr;
    std::optional<std::jthread> worker;
    if (two_cores()) {
        try {
            worker.emplace([&] { second_end = write_pieces(cut_, pieces_.size(), second); });
        } catch (...) {
            // No thread: the same text, written by this one.
        }
    }
    char* const first_end = write_pieces(0, cut_, out);
    if (worker) {
        worker->join();
    } else {
        second_end = write_pieces(cut_, pieces_.size(), second);
    }
    return {{out, static_cast<std::size_t>(first_end - out)}, {second, static_cast<std::size_t>(second_end - second)}};
}

}  // namespace tessel::chart
