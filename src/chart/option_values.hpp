#pragma once
// The value kinds that option members share, and the text enumerations with
// the strings ECharts expects for them.
#include <array>
#include <cstdint>
#include <string>
#include <variant>

namespace tessel::chart {

// "left", "top", "min", "max", ...: an integer, a float (null when not
// finite) or a text such as a percentage.
using PositionValue = std::variant<std::int64_t, double, std::string>;

// A CSS colour, written unchanged. Gradients have no user yet.
using ColorValue = std::string;

// A font family: a generic name ("serif", "sans-serif", "monospace") or any
// family text; both are written unchanged.
using FontFamily = std::string;

// One float for all sides, [vertical, horizontal], or [top, right, bottom, left].
using PaddingValue = std::variant<double, std::array<double, 2>, std::array<double, 4>>;

enum class FontWeightName : std::uint8_t { Normal, Bold, Bolder, Lighter };
// A named weight, a number (100 ... 900) or any text.
using FontWeight = std::variant<FontWeightName, std::int32_t, std::string>;

// A tension in [0, 1], or on/off.
using Smoothing = std::variant<double, bool>;

enum class TooltipTrigger : std::uint8_t { Item, Axis, None };
enum class AxisType : std::uint8_t { Value, Category, Time, Log };
enum class NameLocation : std::uint8_t { Start, Middle, Center, End };
enum class LineType : std::uint8_t { Solid, Dashed, Dotted };

}  // namespace tessel::chart
