#pragma once
// The frame every picture gets: root element, background, optional title and
// the two axis lines.
#include <cstdint>
#include <string>
#include <string_view>

#include "json/document.hpp"

namespace tessel::svg {

struct FrameSettings {
    std::string_view background;  // "white" unless the document gives a string
    std::string_view text_colour; // "#111111" unless the document gives a string
    std::string_view title;       // empty: no title element
};

// Reads the settings from the document root; views point into its document.
FrameSettings frame_settings(json::JsonView root);

// Appends the root start tag, background, title (when not empty) and the
// axis lines of a W x H picture.
void write_frame(const FrameSettings& settings, std::uint32_t width, std::uint32_t height, std::string& out);

}  // namespace tessel::svg
