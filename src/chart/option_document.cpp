#include "chart/option_document.hpp"

#include "chart/document_text.hpp"

namespace tessel::chart {

void write_option_document(const OptionDocument& document, std::string& out) {
    const DocumentText text(document);
    const std::size_t start = out.size();
    out.resize(start + text.size_bound());
    out.resize(start + text.write(out.data() + start));
}

std::string to_json_text(const OptionDocument& document) {
    std::string out;
    write_option_document(document, out);
    return out;
}

}  // namespace tessel::chart
