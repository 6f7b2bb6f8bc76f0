#pragma once
// The option documents of the activity finalizers: decoding, locating the
// values a finalizer writes, and encoding with those values written.
//
// A finalizer reads its document once, records its edits on the way to each
// target (member_or_insert), and writes the document once with them.
#include <cstddef>
#include <string>
#include <string_view>

#include "json/document.hpp"
#include "json/writer.hpp"

namespace tessel::activity {

// Reads the option text. Throws tessel::ValueError "failed to decode option
// JSON: {reader error text}" when the text is not one JSON value, and
// "option JSON root must be an object" when the value is not an object.
json::JsonDocument decode_option_document(std::string_view option_json);

// Element `position` of the array `target`; never creates one. An absent
// target is a member about to be inserted as null. Internal failure "cannot
// access index {position} of JSON array of length {n}" past the end, "cannot
// access index {position} of JSON {kind}" on a non-array.
json::JsonView element_at(json::JsonView target, std::size_t position);

// Sets member `key` of `target` to the value written by `text`: a null
// target becomes the object {key: value}, an object gets its member's value
// replaced or the member appended. Any other kind of target is an internal
// failure: cannot access key "{key}" in JSON {kind}.
void member_or_insert(json::DocumentEdits& edits, json::JsonView target, std::string_view key, json::ValueText text);

// The root member "series" when it is an array; otherwise tessel::ValueError
// "option JSON must contain a series array".
json::JsonArrayView require_series_array(const json::JsonDocument& document);

}  // namespace tessel::activity
