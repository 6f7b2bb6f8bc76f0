#include "chart/option_tree.hpp"

#include "chart/option_text.hpp"

namespace tessel::chart {

void write_option_tree(const OptionTree& document, std::string& out) {
    const OptionText text(document);
    const std::size_t start = out.size();
    out.resize(start + text.size_bound());
    out.resize(start + text.write(out.data() + start));
}

std::string to_json_text(const OptionTree& document) {
    std::string out;
    write_option_tree(document, out);
    return out;
}

}  // namespace tessel::chart
