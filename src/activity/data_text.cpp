#include "activity/data_text.hpp"

#include <algorithm>

#include "json/writer.hpp"

namespace tessel::activity {

// The scratch bytes beyond the text are zero-filled by resize, so the size
// runs ahead of the text by a bounded step (never touching much memory that
// will not be written) while the capacity grows geometrically.
void TextWriter::grow(std::size_t n) {
    constexpr std::size_t kStep = 4096;
    const std::size_t length = size();
    const std::size_t needed = length + n;
    if (needed > out_.capacity()) out_.reserve(std::max(needed, out_.capacity() * 2));
    out_.resize(std::min(out_.capacity(), needed + kStep));
    base_ = out_.data();
    cursor_ = base_ + length;
    limit_ = base_ + out_.size();
}

// The rare forms go through the JSON writer, on a scratch buffer of their own.
void TextWriter::float_number(double x) {
    if (!std::isfinite(x)) {
        put("null");
        return;
    }
    std::string text;
    json::write_json_float(x, text);
    put(text);
}

void TextWriter::escaped_string(std::string_view text) {
    std::string escaped;
    json::write_json_string(text, escaped);
    put(escaped);
}

}  // namespace tessel::activity
