#pragma once
// The fast path of the finalizers: the option text copied in one pass to its
// compact form, with the edited members written in place, without building
// the document.
//
// The result is the text that encode_option_document gives after the same
// edits are made on the decoded document (member_or_insert, element_at).
// The copy handles the documents the Python side writes; for anything else
// it gives up, and the finalizer takes the document path, which also
// produces every error with its specified message and precedence.
#include <cstddef>
#include <string>
#include <string_view>

#include "activity/data_text.hpp"

namespace tessel::activity {

struct OptionEdits {
    // The entries of the root member "series" whose "data" is replaced: the
    // first one only, or every one (there must then be exactly series_count).
    enum class Entries { First, Every };
    Entries entries = Entries::First;
    std::size_t series_count = 0;
    // Appends the text of the new "data" array of series entry `entry`.
    void (*write_data)(const void* context, std::size_t entry, TextWriter& out) = nullptr;
    const void* context = nullptr;
    // When set, root member "visualMap" gets member "max" with this text.
    bool set_visual_max = false;
    std::string_view visual_max_text;
};

// Appends the edited compact text to `out` and returns true; returns false,
// leaving `out` in an unspecified state, when the copy gives up. It gives up
// on text that does not decode, a root that is not an object, a repeated key
// or a key with an escape in any object, more than 127 nested containers,
// and targets that the edits do not reach as objects: a missing or
// non-array "series", no first entry (or another entry count for Every), an
// edited entry or a "visualMap" that is not an object.
bool copy_option_with_edits(std::string_view option_json, const OptionEdits& edits, std::string& out);

}  // namespace tessel::activity
