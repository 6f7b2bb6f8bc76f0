#pragma once
// The text of an option document, laid out before it is written: the tree
// parts are written at once (a few kilobytes), the series data are kept as
// runs of points that are formatted only when the text is placed. The size
// is then bounded before any data is formatted, so the whole text is
// written into one buffer that never grows.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "chart/flat_points.hpp"
#include "chart/option_tree.hpp"

namespace tessel::chart {

class OptionText {
public:
    // Views the document's data: the document's points must outlive this.
    // Large data is split in two parts (see write_parts).
    explicit OptionText(const OptionTree& document);

    // Bytes the caller's buffer needs for write_parts(); the text is shorter.
    std::size_t size_bound() const noexcept { return first_bound_ + second_bound_; }

    // The text as written: `head` followed by `tail`.
    struct Parts {
        std::string_view head;
        std::string_view tail;  // empty unless the data was split
        std::size_t size() const noexcept { return head.size() + tail.size(); }
    };

    // Writes the text into `out`, which has size_bound() bytes; other bytes
    // of it are overwritten with unspecified values. When the data was
    // split, its second part is formatted by a second thread if the machine
    // has two cores, and the parts lie apart in `out` (a caller that copies
    // the text anyway need not join them); the text is the same either way.
    Parts write_parts(char* out) const noexcept;

private:
    // Items [first, last) of one series' data, with the brackets that open
    // and close the whole list when they belong to this part.
    struct DataRun {
        FlatPoints points;
        std::size_t first = 0;
        std::size_t last = 0;
        bool opens = false;
        bool closes = false;
    };
    // Tree text text_[text_begin, text_end), then the data run (if any).
    struct Piece {
        std::size_t text_begin;
        std::size_t text_end;
        DataRun data;
    };

    void add_text_piece();
    void add_data(const FlatPoints& points);
    void split_in_two();
    void set_bounds();
    char* write_pieces(std::size_t begin, std::size_t end, char* out) const noexcept;
    static char* write_data(const DataRun& run, char* out) noexcept;
    static std::size_t data_bound(const DataRun& run) noexcept;

    std::string text_;
    std::vector<Piece> pieces_;
    // Pieces [0, cut_) form the first part and [cut_, end) the second; the
    // second is empty unless the data is large enough to be split.
    std::size_t cut_ = 0;
    std::size_t first_bound_ = 0;
    std::size_t second_bound_ = 0;
};

}  // namespace tessel::chart
