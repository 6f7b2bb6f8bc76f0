#pragma once
// The JSON reader: text to a JsonDocument, exactly one value per text, with
// positioned error messages.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

#include "json/document.hpp"

namespace tessel::json {

enum class ReadErrorReason : std::uint8_t {
    EofWhileParsingList,
    EofWhileParsingObject,
    EofWhileParsingString,
    EofWhileParsingValue,
    ExpectedColon,
    ExpectedListCommaOrEnd,
    ExpectedObjectCommaOrEnd,
    ExpectedIdent,
    ExpectedValue,
    InvalidEscape,
    InvalidNumber,
    NumberOutOfRange,
    ControlCharacterWhileParsingString,
    KeyMustBeAString,
    LoneLeadingSurrogateInHexEscape,
    TrailingComma,
    TrailingCharacters,
    UnexpectedEndOfHexEscape,
    RecursionLimitExceeded,
};

// The message text of a reason, e.g. "trailing comma".
std::string_view read_error_message(ReadErrorReason reason) noexcept;

struct ReadError : std::exception {
    ReadError(ReadErrorReason reason, std::size_t line, std::size_t column);

    ReadErrorReason reason;
    std::size_t line;    // from 1
    std::size_t column;  // bytes from 1; 0 when reported at the start of a line

    // "{message} at line {line} column {column}".
    std::string text() const { return text_; }
    const char* what() const noexcept override { return text_.c_str(); }

private:
    std::string text_;
};

// Reads the one JSON value of `text` (whitespace around it allowed). A
// repeated key keeps its first position and takes its last value. Throws
// ReadError.
JsonDocument read_json_document(std::string_view text);

}  // namespace tessel::json
