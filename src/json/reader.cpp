#include "json/reader.hpp"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <new>
#include <stdexcept>
#include <unordered_map>
#include <vector>

#include "json/text_scanner.hpp"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

using detail::DocumentEntry;

namespace {

// One of 64 bits for a key, the same bit for equal keys: keys whose bits
// differ are distinct, without comparing them.
std::uint64_t key_bit(std::string_view key) noexcept {
    const std::uint64_t ends =
        key.empty() ? 0 : static_cast<unsigned char>(key.front()) << 8 | static_cast<unsigned char>(key.back());
    // The top six bits of a multiplicative hash of the length and both ends.
    return std::uint64_t{1} << (((key.size() << 16 | ends) * 0x9E3779B97F4A7C15) >> 58);
}

// At least the number of values and keys of a JSON text: each but the first
// follows one of the bytes ',', ':', '[' and '{' (those inside strings only
// make the count larger).
std::size_t count_value_starts(std::string_view text) noexcept {
    const char* p = text.data();
    const char* const end = p + text.size();
    std::size_t count = 1;
#if defined(__SSE2__)
    // '[' and '{' differ in one bit, which ',' and ':' have set.
    const auto starts = [](__m128i bytes) {
        const __m128i open = _mm_cmpeq_epi8(_mm_or_si128(bytes, _mm_set1_epi8(0x20)), _mm_set1_epi8('{'));
        const __m128i comma = _mm_cmpeq_epi8(bytes, _mm_set1_epi8(','));
        const __m128i colon = _mm_cmpeq_epi8(bytes, _mm_set1_epi8(':'));
        return _mm_or_si128(open, _mm_or_si128(comma, colon));
    };
    // Byte counters, summed before any can pass 255.
    while (end - p >= 16 * 255) {
        __m128i counters = _mm_setzero_si128();
        for (int i = 0; i < 255; ++i, p += 16) {
            counters = _mm_sub_epi8(counters, starts(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))));
        }
        const __m128i sums = _mm_sad_epu8(counters, _mm_setzero_si128());
        count += static_cast<std::size_t>(_mm_cvtsi128_si32(sums)) +
                 static_cast<std::size_t>(_mm_cvtsi128_si32(_mm_unpackhi_epi64(sums, sums)));
    }
    for (; end - p >= 16; p += 16) {
        const auto mask = static_cast<unsigned>(_mm_movemask_epi8(starts(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)))));
        count += static_cast<std::size_t>(std::popcount(mask));
    }
#endif
    for (; p != end; ++p) count += *p == ',' || *p == ':' || *p == '[' || *p == '{';
    return count;
}

}  // namespace

void JsonDocument::FreeDeleter::operator()(void* p) const noexcept {
    std::free(p);
}

// Text to a JsonDocument: entries appended in text order, string bytes
// appended to one buffer as large as the text (decoding never lengthens a
// string). Grammar, errors and their positions are the scanner's.
//
// Recursion: read_value_at recurses once per nested array or object, and the
// depth budget stops that at 127 levels.
class DocumentReader : detail::TextScanner {
public:
    explicit DocumentReader(std::string_view text) : TextScanner(text) {
        if (text.size() >= (std::size_t{1} << (64 - DocumentEntry::kSizeShift - 1))) {
            throw std::length_error("JSON text too long");
        }
        // Short texts take a first guess of one entry per 3 bytes (data
        // arrays of short numbers take 3 to 5 bytes per value) and grow if
        // it falls short. Long ones are counted: a block that is regrown, or
        // much larger than needed, lands in fresh memory on every read, and
        // each page of that faults when first touched.
        reserve_entries(text.size() <= kGuessedText ? text.size() / 3 + 16 : count_value_starts(text));
        // Decoding never lengthens a string: the text's size is room for all
        // (the pages never written to are never touched).
        reallocate(document_.strings_, text.size() + JsonDocument::kStringPadding);
    }

    JsonDocument read() {
        skip_whitespace();
        p_ = read_value_at(p_);
        skip_whitespace();
        if (p_ != end_) fail_at(ReadErrorReason::TrailingCharacters, p_);
        std::memset(document_.strings_.get() + strings_size_, 0, JsonDocument::kStringPadding);
        // Room guessed past the end is kept: handing it back makes the next
        // document of the same size grow into fresh memory, and every page of
        // fresh memory faults on first touch.
        document_.text_size_ = static_cast<std::size_t>(end_ - begin_);
        return std::move(document_);
    }

private:
    static constexpr std::size_t kGuessedText = std::size_t{1} << 20;

    template <class T>
    static T* reallocate(std::unique_ptr<T[], JsonDocument::FreeDeleter>& block, std::size_t count) {
        if (count > SIZE_MAX / sizeof(T)) throw std::bad_alloc();
        void* grown = std::realloc(block.get(), std::max<std::size_t>(count, 1) * sizeof(T));
        if (grown == nullptr) throw std::bad_alloc();
        (void)block.release();
        block.reset(static_cast<T*>(grown));
        return block.get();
    }

    void reserve_entries(std::size_t capacity) {
        const std::size_t count = count_of_entries();
        entries_ = reallocate(document_.entries_, capacity);
        next_ = entries_ + count;
        limit_ = entries_ + capacity;
    }

    std::size_t count_of_entries() const noexcept { return static_cast<std::size_t>(next_ - entries_); }

    // The next entry, its content left to the caller.
    DocumentEntry& push() {
        if (next_ == limit_) [[unlikely]] reserve_entries(2 * static_cast<std::size_t>(limit_ - entries_));
        return *next_++;
    }

    // null, true or false at p_, the values read_value_at leaves to this;
    // anything else there is no value.
    void read_literal() {
        if (p_ == end_) fail_eof(ReadErrorReason::EofWhileParsingValue);
        DocumentEntry& entry = push();
        switch (*p_) {
            case 'n':
                ++p_;
                expect_word("ull");
                entry = {detail::head_of(Kind::Null, 0), 0};
                return;
            case 't':
                ++p_;
                expect_word("rue");
                entry = {detail::head_of(Kind::Bool, 0), 1};
                return;
            case 'f':
                ++p_;
                expect_word("alse");
                entry = {detail::head_of(Kind::Bool, 0), 0};
                return;
            default:
                fail_at(ReadErrorReason::ExpectedValue, p_);
        }
    }

    // `text` readable up to `readable_end`; `flags` kPlainText for text that
    // needs no escape when written (text read without escapes).
    void store_text(DocumentEntry& entry, std::string_view text, const char* readable_end,
                    std::uint64_t flags) noexcept {
        const std::size_t offset = strings_size_;
        char* const to = document_.strings_.get() + offset;
        // Short text as one 16-byte block when the text has 16 readable bytes
        // there (the string buffer always has room for 16 past its end).
        static_assert(JsonDocument::kStringPadding >= 16);
        if (text.size() <= 16 && readable_end - text.data() >= 16) {
            std::memcpy(to, text.data(), 16);
        } else if (!text.empty()) {
            std::memcpy(to, text.data(), text.size());
        }
        strings_size_ += text.size();
        entry = {detail::head_of(Kind::String, text.size(), flags), offset};
    }

    // The string at `q` (its opening quote) into a new entry, its text in
    // `text` (valid until the next string); returns its end. Strings without
    // escapes, nearly all, are found here; others are read again from the
    // start by the scanner, which decodes and checks them.
    const char* read_string_entry(const char* q, std::string_view& text) {
        const char* const stop = find_string_stop(q + 1, end_);
        if (stop != end_ && *stop == '"') [[likely]] {
            text = std::string_view(q + 1, static_cast<std::size_t>(stop - q - 1));
            store_text(push(), text, end_, DocumentEntry::kPlainText);
            return stop + 1;
        }
        // An escape or a control byte: the scanner decodes the string into
        // its scratch buffer (or fails).
        p_ = q + 1;
        text = read_string();
        store_text(push(), text, scratch_.data() + scratch_.size(), 0);
        return p_;
    }

    // Any value at `q` (or the end); returns its end. All but the literals
    // are read with the position in a local.
    const char* read_value_at(const char* q) {
        if (q != end_) {
            if (starts_number(*q)) return read_number(push(), q);
            if (*q == '"') {
                std::string_view text;
                return read_string_entry(q, text);
            }
            if (*q == '[') return read_array_at(q);
            if (*q == '{') return read_object_at(q);
        }
        p_ = q;
        read_literal();
        return p_;
    }

    // The array opened at `q`; returns its end. The position is kept in a
    // local between the calls that need p_ (a position in memory is stored
    // and reloaded around every step).
    const char* read_array_at(const char* q) {
        if (--depth_ == 0) fail_at(ReadErrorReason::RecursionLimitExceeded, q);
        const std::size_t open = count_of_entries();
        push();
        q = skip_whitespace(q + 1);
        if (q == end_) fail_eof(ReadErrorReason::EofWhileParsingList);
        std::size_t elements = 0;
        if (*q != ']') {
            for (;;) {
                q = read_value_at(q);
                ++elements;
                if (!next_element(q)) break;
            }
        }
        ++depth_;
        entries_[open] = {detail::head_of(Kind::Array, elements), count_of_entries() - open - 1};
        return q + 1;
    }

    // The object opened at `q`; returns its end.
    const char* read_object_at(const char* q) {
        if (--depth_ == 0) fail_at(ReadErrorReason::RecursionLimitExceeded, q);
        const std::size_t open = count_of_entries();
        push();
        q = skip_whitespace(q + 1);
        if (q == end_) fail_eof(ReadErrorReason::EofWhileParsingObject);
        std::size_t members = 0;
        // Keys are told apart by their bits while they are at hand; only when
        // two share a bit does the object look for a repeated key.
        std::uint64_t key_bits = 0;
        bool may_repeat = false;
        if (*q != '}') {
            for (;;) {
                // q is at the first byte of a key, whitespace skipped.
                if (*q != '"') fail_at(ReadErrorReason::KeyMustBeAString, q);
                std::string_view key;
                q = read_string_entry(q, key);
                const std::uint64_t bit = key_bit(key);
                may_repeat |= (key_bits & bit) != 0;
                key_bits |= bit;
                if (q != end_ && *q == ':') {  // the common, compact case
                    ++q;
                } else {
                    q = skip_whitespace(q);
                    if (q == end_) fail_eof(ReadErrorReason::EofWhileParsingObject);
                    if (*q != ':') fail_at(ReadErrorReason::ExpectedColon, q);
                    ++q;
                }
                q = read_value_at(skip_whitespace(q));
                ++members;
                if (!next_member(q)) break;
            }
        }
        ++depth_;
        entries_[open] = {detail::head_of(Kind::Object, members), count_of_entries() - open - 1};
        if (may_repeat) settle_repeated_keys(open);
        return q + 1;
    }

    std::string_view key_at(std::size_t i) noexcept {
        const DocumentEntry& key = entries_[i];
        return {document_.strings_.get() + key.payload, key.size()};
    }

    // Whether two members of the object opened at `open` share a key.
    // Without allocating up to this many members, which is every object
    // whose key bits collided by chance.
    static constexpr std::size_t kScannedMembers = 32;
    bool has_repeated_key(std::size_t open) {
        const std::size_t end = count_of_entries();
        if (entries_[open].size() > kScannedMembers) return true;  // settled below, with a map
        std::size_t keys[kScannedMembers];
        std::size_t n = 0;
        for (std::size_t i = open + 1; i < end; i += 1 + entries_[i + 1].span()) {
            const std::string_view key = key_at(i);
            for (std::size_t j = 0; j < n; ++j) {
                if (key_at(keys[j]) == key) return true;
            }
            keys[n++] = i;
        }
        return false;
    }

    // A repeated key keeps its first position and takes its last value:
    // the object's entries are rewritten in that order (rare).
    void settle_repeated_keys(std::size_t open) {
        if (!has_repeated_key(open)) return;
        struct Member {
            std::size_t key;    // entry of the key
            std::size_t value;  // entry of the value that the key ends with
        };
        std::vector<Member> settled;
        std::unordered_map<std::string_view, std::size_t> position_of_key;
        bool repeated = false;
        const std::size_t end = count_of_entries();
        for (std::size_t i = open + 1; i < end; i += 1 + entries_[i + 1].span()) {
            const auto [it, added] = position_of_key.try_emplace(key_at(i), settled.size());
            if (added) {
                settled.push_back({i, i + 1});
            } else {
                settled[it->second].value = i + 1;
                repeated = true;
            }
        }
        if (!repeated) return;
        std::vector<DocumentEntry> rewritten;
        for (const Member& m : settled) {
            rewritten.push_back(entries_[m.key]);
            const DocumentEntry* value = entries_ + m.value;
            rewritten.insert(rewritten.end(), value, value + value->span());
        }
        std::memcpy(entries_ + open + 1, rewritten.data(), rewritten.size() * sizeof(DocumentEntry));
        next_ = entries_ + open + 1 + rewritten.size();
        entries_[open] = {detail::head_of(Kind::Object, settled.size()), rewritten.size()};
    }

    JsonDocument document_;
    // document_'s entries, moved when they grow; the next one to fill and the
    // end of the room. Pointers rather than counts: a count is an unsigned
    // long like the entries' fields, so every entry written would make the
    // compiler load it again.
    DocumentEntry* entries_ = nullptr;
    DocumentEntry* next_ = nullptr;
    DocumentEntry* limit_ = nullptr;
    std::size_t strings_size_ = 0;  // string bytes written
};

JsonDocument read_json_document(std::string_view text) {
    return DocumentReader(text).read();
}

}  // namespace tessel::json
