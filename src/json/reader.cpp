#include "json/reader.hpp"

#include <algorithm>
#include <array>
#include <iterator>
#include <utility>

#include "json/text_scanner.hpp"

namespace tessel::json {

namespace {

constexpr std::string_view kReadErrorMessages[] = {
    "EOF while parsing a list",
    "EOF while parsing an object",
    "EOF while parsing a string",
    "EOF while parsing a value",
    "expected `:`",
    "expected `,` or `]`",
    "expected `,` or `}`",
    "expected ident",
    "expected value",
    "invalid escape",
    "invalid number",
    "number out of range",
    "control character (\\u0000-\\u001F) found while parsing a string",
    "key must be a string",
    "lone leading surrogate in hex escape",
    "trailing comma",
    "trailing characters",
    "unexpected end of hex escape",
    "recursion limit exceeded",
};
static_assert(std::size(kReadErrorMessages) ==
              static_cast<std::size_t>(ReadErrorReason::RecursionLimitExceeded) + 1);

// Text to a JsonValue tree.
//
// Recursion: read_value recurses once per nested array or object, and the
// depth budget stops that at 127 levels.
class Reader : detail::TextScanner {
public:
    explicit Reader(std::string_view text) : TextScanner(text) {
        // Enough for typical option documents without regrowing.
        pending_.reserve(64);
    }

    JsonValue read_document() {
        skip_whitespace();
        JsonValue value = read_value();
        skip_whitespace();
        if (p_ != end_) fail_at(ReadErrorReason::TrailingCharacters, p_);
        return value;
    }

private:
    // Arrays up to this many elements gather them on the shared stack and are
    // allocated once at their final size; longer ones (data arrays) then grow
    // on their own, which spares the stack a large copy of them.
    static constexpr std::size_t kLargeArray = 256;
    // Arrays of up to this many numbers are read without the shared stack.
    static constexpr std::size_t kShortNumbers = 8;
    // An object starts with room for as many members as the last object at
    // its depth had, up to this many.
    static constexpr std::size_t kMembersGuessLimit = 64;

    // The size of the last list finished at each depth, up to a limit: the
    // room to give the next one there (runs of alike values fill data).
    class SizesByDepth {
    public:
        SizesByDepth(std::uint8_t first, std::size_t limit) : limit_(limit) { sizes_.fill(first); }
        std::size_t guess(int depth) const noexcept { return sizes_[static_cast<std::size_t>(depth)]; }
        void record(int depth, std::size_t size) noexcept {
            sizes_[static_cast<std::size_t>(depth)] = static_cast<std::uint8_t>(std::min(size, limit_));
        }

    private:
        std::array<std::uint8_t, kDepthBudget> sizes_;
        std::size_t limit_;
    };

    // The one value of the document (or of nothing else), through the stack.
    JsonValue read_value() {
        read_element(pending_);
        return take_last_pending();
    }

    // Reads any value (p_ at its first byte, or at the end) onto the end of
    // `into`: arrays and objects append themselves, anything else is made in
    // a new null slot.
    void read_element(JsonArray& into) {
        if (p_ != end_ && *p_ == '[') return read_array_into(into);
        if (p_ != end_ && *p_ == '{') return read_object_into(into);
        read_scalar(into.emplace_back());
    }

    // Reads a value that is neither an array nor an object into `slot`, which
    // is null, in its place: a string made elsewhere and copied in would be
    // stored and reloaded at different widths (a store-buffer stall).
    void read_scalar(JsonValue& slot) {
        if (p_ == end_) fail_eof(ReadErrorReason::EofWhileParsingValue);
        switch (*p_) {
            case '"':
                ++p_;
                new (&slot) JsonValue(JsonValue::string(read_string()));
                return;
            case 'n':
                ++p_;
                expect_word("ull");
                return;
            case 't':
                ++p_;
                expect_word("rue");
                slot = JsonValue::boolean(true);
                return;
            case 'f':
                ++p_;
                expect_word("alse");
                slot = JsonValue::boolean(false);
                return;
            case '-':
            case '0':
            case '1':
            case '2':
            case '3':
            case '4':
            case '5':
            case '6':
            case '7':
            case '8':
            case '9':
                p_ = read_number(slot, p_);
                return;
            default:
                fail_at(ReadErrorReason::ExpectedValue, p_);
        }
    }

    // The elements of the arrays being read wait on one shared stack, so a
    // short array is allocated once, at its final size. Scalars are made in
    // their place on the stack; only nested containers are moved there.
    // Containers are appended to their parent's list of values rather than
    // returned: a value just stored through a return slot and then copied at
    // another width stalls the store buffer, once per nested array.
    JsonValue take_last_pending() {
        JsonValue value = std::move(pending_.back());
        pending_.pop_back();
        return value;
    }

    // The position is kept in a local between the calls that need p_ (see
    // read_number).
    void read_array_into(JsonArray& into) {
        enter_container();
        const char* q = skip_whitespace(p_);
        if (q == end_) fail_eof(ReadErrorReason::EofWhileParsingList);
        if (*q == ']') {
            p_ = q + 1;
            ++depth_;
            into.emplace_back(JsonValue::array());
            return;
        }
        const std::size_t base = pending_.size();
        const char* const first_element = q;
        JsonArray large;  // takes over once the array outgrows its share of the stack
        if (starts_number(*q)) {
            // Short arrays of numbers written compactly, the points and cells
            // of chart data, are read straight into their own list, with room
            // for as many numbers as the last such array at this depth had;
            // anything else continues below with the numbers read so far.
            JsonArray numbers;
            numbers.reserve(short_numbers_sizes_.guess(depth_));
            for (;;) {
                q = skip_whitespace(read_number(numbers.emplace_back(), q));
                if (q != end_ && *q == ']') {
                    p_ = q + 1;
                    short_numbers_sizes_.record(depth_, numbers.size());
                    ++depth_;
                    into.emplace_back(JsonValue::array(std::move(numbers)));
                    return;
                }
                if (numbers.size() == kShortNumbers || q == end_ || *q != ',') break;
                const char* const comma = q;
                q = skip_whitespace(q + 1);
                if (q == end_ || !starts_number(*q)) {
                    q = comma;  // the general loop reports or continues from the comma
                    break;
                }
            }
            for (JsonValue& number : numbers) pending_.push_back(std::move(number));
        } else {
            p_ = q;
            read_element(pending_);
            q = p_;
        }
        while (next_element(q)) {
            p_ = q;
            if (large.empty()) {
                read_element(pending_);
                if (pending_.size() - base == kLargeArray) {
                    large.reserve(large_array_estimate(first_element));
                    take_pending(base, large);
                }
            } else {
                read_element(large);
            }
            q = p_;
        }
        p_ = q + 1;
        ++depth_;
        if (large.empty()) {
            large.reserve(pending_.size() - base);
            take_pending(base, large);
        } else if (large.capacity() / 2 > large.size()) {
            large.shrink_to_fit();  // the estimate ran well past this array's end
        }
        into.emplace_back(JsonValue::array(std::move(large)));
    }

    // Room for a large array, guessed from the bytes its first elements took
    // and the bytes left: data arrays are long runs of alike elements, so this
    // spares regrowing them, which would move every element several times.
    std::size_t large_array_estimate(const char* first_element) const noexcept {
        const auto used = static_cast<std::size_t>(p_ - first_element);
        const auto left = static_cast<std::size_t>(end_ - p_);
        return kLargeArray + left / (used / kLargeArray + 1) + kLargeArray / 4;
    }

    // Moves the pending values from `base` on to the end of `into`.
    void take_pending(std::size_t base, JsonArray& into) {
        for (std::size_t i = base; i < pending_.size(); ++i) into.emplace_back(std::move(pending_[i]));
        pending_.resize(base);  // moved-from values are null: nothing to free
    }

    // Each object settles repeated keys when it is made (first position, last
    // value).
    void read_object_into(JsonArray& into) {
        enter_container();
        const char* q = skip_whitespace(p_);  // kept in a local as in read_array_into
        if (q == end_) fail_eof(ReadErrorReason::EofWhileParsingObject);
        if (*q == '}') {
            p_ = q + 1;
            ++depth_;
            into.emplace_back(JsonValue::object());
            return;
        }
        // Members are made in the object's own list, adopted whole when the
        // object ends.
        std::vector<JsonMember> members;
        members.reserve(members_sizes_.guess(depth_));
        // Keys are told apart by their bits while they are at hand; only when
        // two share a bit does the object look for a repeated key.
        std::uint64_t key_bits = 0;
        bool may_repeat = false;
        for (;;) {
            // q is at the first byte of a key, whitespace skipped.
            if (*q != '"') fail_at(ReadErrorReason::KeyMustBeAString, q);
            JsonMember& member = members.emplace_back();
            p_ = q + 1;
            const std::string_view key = read_string();
            member.key.assign_within(key, readable_end(key));
            const std::uint64_t bit = JsonObject::key_bit(key);
            may_repeat |= (key_bits & bit) != 0;
            key_bits |= bit;
            q = skip_whitespace(p_);
            if (q == end_) fail_eof(ReadErrorReason::EofWhileParsingObject);
            if (*q != ':') fail_at(ReadErrorReason::ExpectedColon, q);
            p_ = skip_whitespace(q + 1);
            // Containers come through the stack; anything else is made in place.
            if (p_ != end_ && (*p_ == '[' || *p_ == '{')) {
                read_element(pending_);
                member.value = take_last_pending();
            } else {
                read_scalar(member.value);
            }
            q = p_;
            if (!next_member(q)) break;
        }
        p_ = q + 1;
        members_sizes_.record(depth_, members.size());
        ++depth_;
        into.emplace_back(JsonValue::object(JsonObject::from_members(
            std::move(members), may_repeat ? JsonObject::Keys::MayRepeat : JsonObject::Keys::Distinct)));
    }

    SizesByDepth short_numbers_sizes_{2, kShortNumbers};
    SizesByDepth members_sizes_{4, kMembersGuessLimit};
    std::vector<JsonValue> pending_;
};

}  // namespace

std::string_view read_error_message(ReadErrorReason reason) noexcept {
    return kReadErrorMessages[static_cast<std::size_t>(reason)];
}

ReadError::ReadError(ReadErrorReason reason_, std::size_t line_, std::size_t column_)
    : reason(reason_), line(line_), column(column_) {
    text_ = read_error_message(reason);
    text_ += " at line ";
    text_ += std::to_string(line);
    text_ += " column ";
    text_ += std::to_string(column);
}

JsonValue read_json(std::string_view text) {
    return Reader(text).read_document();
}

}  // namespace tessel::json
