#pragma once
// A JSON document read for looking at, not for editing: one flat list of
// entries in text order (a container is followed by its contents) and one
// buffer of string bytes, both owned by the document. Reading one makes no
// allocation per container or string (a third of the time it takes to build
// a JsonValue tree); looking at one is through views that borrow it.
//
// Text is read into a JsonDocument only; the writer writes it back with
// edits (json/writer.hpp). A repeated key keeps its first position and takes
// its last value.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "json/value.hpp"

namespace tessel::json {

namespace detail {

// One value: its kind and size in the head, its payload after.
//   null, boolean, numbers: the value's 8 bytes.
//   string: offset of its bytes in the document's string buffer.
//   array: count of entries after this one that belong to it (its elements
//          and theirs); the head's size is its count of elements.
//   object: as an array; each member is a string entry (the key) followed by
//           the value's entries; the head's size is its count of members.
struct DocumentEntry {
    std::uint64_t head;  // kind in the low byte, flags in the next, size above
    std::uint64_t payload;

    static constexpr unsigned kSizeShift = 16;
    // A string whose bytes need no escape when written.
    static constexpr std::uint64_t kPlainText = std::uint64_t{1} << 8;
    // A float read from a decimal of at most 4 fraction digits and 15 digits
    // in all, k / 10^4 with k from 1 to below 2^48: the size holds k, the
    // float's digits, so that writing it needs no search for them.
    static constexpr std::uint64_t kTenThousandths = std::uint64_t{1} << 9;

    Kind kind() const noexcept { return static_cast<Kind>(head & 0xFF); }
    std::size_t size() const noexcept { return static_cast<std::size_t>(head >> kSizeShift); }
    // Entries taken by this value, itself included.
    std::size_t span() const noexcept {
        return kind() >= Kind::Array ? static_cast<std::size_t>(payload) + 1 : 1;
    }
};

}  // namespace detail

class JsonView;
class JsonArrayView;
class JsonObjectView;
struct JsonMemberView;

// Owns the entries and string bytes of one document read from text.
class JsonDocument {
public:
    JsonDocument() noexcept = default;
    // A moved-from document is empty, as a default-made one.
    JsonDocument(JsonDocument&& other) noexcept
        : entries_(std::move(other.entries_)),
          strings_(std::move(other.strings_)),
          text_size_(std::exchange(other.text_size_, 0)) {}
    JsonDocument& operator=(JsonDocument&& other) noexcept {
        entries_ = std::move(other.entries_);
        strings_ = std::move(other.strings_);
        text_size_ = std::exchange(other.text_size_, 0);
        return *this;
    }

    // The document's one value (null for a default-made document).
    JsonView root() const noexcept;

    // Bytes of the text the document was read from.
    std::size_t text_size() const noexcept { return text_size_; }

    // Readable bytes after the last string byte, so that short strings can
    // be copied as one fixed-size block.
    static constexpr std::size_t kStringPadding = 16;

private:
    friend class DocumentReader;
    struct FreeDeleter {
        void operator()(void* p) const noexcept;
    };

    // The entries grow with realloc while the document is read.
    std::unique_ptr<detail::DocumentEntry[], FreeDeleter> entries_;
    std::unique_ptr<char[], FreeDeleter> strings_;
    std::size_t text_size_ = 0;
};

// A value inside a JsonDocument, or absent (a member that is not there). A
// view borrows the document: it must not outlive it.
class JsonView {
public:
    JsonView() noexcept = default;

    // Present: refers to a value.
    explicit operator bool() const noexcept { return entry_ != nullptr; }

    // The kind of a present view.
    Kind kind() const noexcept { return entry_->kind(); }
    bool is_null() const noexcept { return entry_ != nullptr && kind() == Kind::Null; }
    bool is_number() const noexcept {
        return entry_ != nullptr && (kind() == Kind::Unsigned || kind() == Kind::Negative || kind() == Kind::Float);
    }
    bool is_string() const noexcept { return entry_ != nullptr && kind() == Kind::String; }
    bool is_array() const noexcept { return entry_ != nullptr && kind() == Kind::Array; }
    bool is_object() const noexcept { return entry_ != nullptr && kind() == Kind::Object; }

    // The typed accessors require a present view of the matching kind; on
    // anything else they throw tessel::InternalFailure, as JsonValue's do.
    std::uint64_t as_unsigned() const;
    // Any number kind, converted to the nearest double.
    double number_as_double() const;
    std::string_view as_string() const;
    JsonArrayView as_array() const;
    JsonObjectView as_object() const;

    // The value of the member with this key when this is an object that has
    // one; absent otherwise (also for an absent view). Scans the members.
    JsonView member(std::string_view key) const noexcept;

private:
    friend class JsonDocument;
    friend class JsonArrayView;
    friend class JsonObjectView;
    friend class DocumentEdits;
    friend class DocumentWriter;
    JsonView(const detail::DocumentEntry* entry, const char* strings) noexcept : entry_(entry), strings_(strings) {}
    void require(Kind wanted) const;
    [[noreturn]] void wrong_kind(std::string_view wanted) const;

    const detail::DocumentEntry* entry_ = nullptr;
    const char* strings_ = nullptr;
};

// The elements of an array, in order. Iterating is a walk over the entries;
// at(i) is constant time when every element is null, a boolean, a number or
// a string, and a walk otherwise.
class JsonArrayView {
public:
    class iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = JsonView;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = JsonView;

        iterator() noexcept = default;
        JsonView operator*() const noexcept { return JsonView(entry_, strings_); }
        iterator& operator++() noexcept {
            entry_ += entry_->span();
            return *this;
        }
        iterator operator++(int) noexcept {
            iterator before = *this;
            ++*this;
            return before;
        }
        friend bool operator==(const iterator& a, const iterator& b) noexcept { return a.entry_ == b.entry_; }

    private:
        friend class JsonArrayView;
        iterator(const detail::DocumentEntry* entry, const char* strings) noexcept
            : entry_(entry), strings_(strings) {}
        const detail::DocumentEntry* entry_ = nullptr;
        const char* strings_ = nullptr;
    };

    std::size_t size() const noexcept { return array_->size(); }
    bool empty() const noexcept { return size() == 0; }
    iterator begin() const noexcept { return iterator(array_ + 1, strings_); }
    iterator end() const noexcept { return iterator(array_ + array_->span(), strings_); }
    // The first element of a non-empty array.
    JsonView front() const noexcept { return *begin(); }
    // The element at `i` (below size()).
    JsonView at(std::size_t i) const noexcept;

private:
    friend class JsonView;
    JsonArrayView(const detail::DocumentEntry* array, const char* strings) noexcept
        : array_(array), strings_(strings) {}
    const detail::DocumentEntry* array_;
    const char* strings_;
};

struct JsonMemberView {
    std::string_view key;
    JsonView value;
};

// The members of an object, in order.
class JsonObjectView {
public:
    class iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = JsonMemberView;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = JsonMemberView;

        iterator() noexcept = default;
        JsonMemberView operator*() const noexcept {
            return {std::string_view(strings_ + key_->payload, key_->size()), JsonView(key_ + 1, strings_)};
        }
        iterator& operator++() noexcept {
            key_ += 1 + key_[1].span();
            return *this;
        }
        iterator operator++(int) noexcept {
            iterator before = *this;
            ++*this;
            return before;
        }
        friend bool operator==(const iterator& a, const iterator& b) noexcept { return a.key_ == b.key_; }

    private:
        friend class JsonObjectView;
        iterator(const detail::DocumentEntry* key, const char* strings) noexcept : key_(key), strings_(strings) {}
        const detail::DocumentEntry* key_ = nullptr;
        const char* strings_ = nullptr;
    };

    std::size_t size() const noexcept { return object_->size(); }
    bool empty() const noexcept { return size() == 0; }
    iterator begin() const noexcept { return iterator(object_ + 1, strings_); }
    iterator end() const noexcept { return iterator(object_ + object_->span(), strings_); }
    // The value of the member with this key, or absent. Scans the members.
    JsonView find(std::string_view key) const noexcept;

private:
    friend class JsonView;
    JsonObjectView(const detail::DocumentEntry* object, const char* strings) noexcept
        : object_(object), strings_(strings) {}
    const detail::DocumentEntry* object_;
    const char* strings_;
};

// Inline: the SVG renderer asks these of every data point.
inline double JsonView::number_as_double() const {
    if (entry_ != nullptr) {
        switch (kind()) {
            case Kind::Unsigned:
                return static_cast<double>(entry_->payload);
            case Kind::Negative:
                return static_cast<double>(static_cast<std::int64_t>(entry_->payload));
            case Kind::Float:
                return std::bit_cast<double>(entry_->payload);
            default:
                break;
        }
    }
    wrong_kind("a number");
}

inline JsonArrayView JsonView::as_array() const {
    if (!is_array()) wrong_kind("an array");
    return JsonArrayView(entry_, strings_);
}

inline JsonView JsonDocument::root() const noexcept {
    // A default-made document has no entries: its root is the static null.
    static constexpr detail::DocumentEntry kNull{static_cast<std::uint64_t>(Kind::Null), 0};
    return entries_ ? JsonView(entries_.get(), strings_.get()) : JsonView(&kNull, nullptr);
}

}  // namespace tessel::json
