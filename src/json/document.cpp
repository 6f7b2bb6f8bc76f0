#include "json/document.hpp"

#include <algorithm>
#include <cstring>

#include "common/errors.hpp"

namespace tessel::json {

using detail::DocumentEntry;

// ---------------------------------------------------------------------------
// Views

void JsonView::require(Kind wanted) const {
    if (entry_ != nullptr && kind() == wanted) return;
    wrong_kind(kind_description(wanted));
}

void JsonView::wrong_kind(std::string_view wanted) const {
    std::string message = "JSON value is ";
    message += entry_ != nullptr ? kind_description(kind()) : std::string_view("absent");
    message += ", not ";
    message += wanted;
    throw InternalFailure(message);
}

std::uint64_t JsonView::as_unsigned() const {
    require(Kind::Unsigned);
    return entry_->payload;
}

std::string_view JsonView::as_string() const {
    require(Kind::String);
    return {strings_ + entry_->payload, entry_->size()};
}

JsonObjectView JsonView::as_object() const {
    require(Kind::Object);
    return JsonObjectView(entry_, strings_);
}

JsonView JsonView::member(std::string_view key) const noexcept {
    if (!is_object()) return {};
    return JsonObjectView(entry_, strings_).find(key);
}

JsonView JsonArrayView::at(std::size_t i) const noexcept {
    // Elements of one entry each: the i-th is the i-th entry.
    if (array_->payload == array_->size()) return JsonView(array_ + 1 + i, strings_);
    auto it = begin();
    while (i-- > 0) ++it;
    return *it;
}

JsonView JsonObjectView::find(std::string_view key) const noexcept {
    const DocumentEntry* const end = object_ + object_->span();
    for (const DocumentEntry* k = object_ + 1; k != end; k += 1 + k[1].span()) {
        if (k->size() == key.size() && (key.empty() || std::memcmp(strings_ + k->payload, key.data(), key.size()) == 0)) {
            return JsonView(k + 1, strings_);
        }
    }
    return {};
}

}  // namespace tessel::json
