// The one-pass copy against the document path: the same text whenever the
// copy completes, and completion on every clean document.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "activity/option_copy.hpp"
#include "activity/option_document.hpp"
#include "activity_doc_gen.hpp"
#include "common/errors.hpp"
#include "json/value.hpp"

namespace {

using tessel::activity::OptionEdits;
using tessel::activity::TextWriter;
using tessel::json::JsonValue;

// The new data of entry i is [i]; the visual maximum is 12.5.
void write_marker(const void*, std::size_t entry, TextWriter& out) {
    out.put('[');
    out.unsigned_number(entry);
    out.put(']');
}

OptionEdits make_edits(OptionEdits::Entries entries, std::size_t series_count, bool visual_max) {
    OptionEdits edits;
    edits.entries = entries;
    edits.series_count = series_count;
    edits.write_data = write_marker;
    edits.set_visual_max = visual_max;
    edits.visual_max_text = "12.5";
    return edits;
}

JsonValue marker(std::size_t entry) {
    tessel::json::JsonArray a;
    a.push_back(JsonValue::from_unsigned(entry));
    return JsonValue::array(std::move(a));
}

// The same edits through the document; nullopt when the document path fails.
std::optional<std::string> by_document(std::string_view text, const OptionEdits& edits) {
    using namespace tessel::activity;
    try {
        JsonValue doc = decode_option_document(text);
        if (edits.entries == OptionEdits::Entries::First) {
            JsonValue& first = element_at(member_or_insert(doc, "series"), 0);
            member_or_insert(first, "data") = marker(0);
        } else {
            tessel::json::JsonArray& series = require_series_array(doc);
            if (series.size() != edits.series_count) return std::nullopt;
            for (std::size_t i = 0; i < series.size(); ++i) member_or_insert(series[i], "data") = marker(i);
        }
        if (edits.set_visual_max) {
            member_or_insert(member_or_insert(doc, "visualMap"), "max") = JsonValue::from_double(12.5);
        }
        return encode_option_document(doc);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::optional<std::string> by_copy(std::string_view text, const OptionEdits& edits) {
    std::string out = "";
    if (!tessel::activity::copy_option_with_edits(text, edits, out)) return std::nullopt;
    return out;
}

TEST(OptionCopy, Examples) {
    const OptionEdits first = make_edits(OptionEdits::Entries::First, 0, false);
    EXPECT_EQ(by_copy(" {\"a\" : [1, 2.50, -0, 1e2],\n\"series\": [ {\"type\": \"bar\"}, {\"data\": 5} ] } ", first),
              "{\"a\":[1,2.5,-0.0,100.0],\"series\":[{\"type\":\"bar\",\"data\":[0]},{\"data\":5}]}");
    EXPECT_EQ(by_copy("{\"series\":[{\"data\":[9,9],\"z\":1}]}", first), "{\"series\":[{\"data\":[0],\"z\":1}]}");
    EXPECT_EQ(by_copy("{\"series\":[{}]}", first), "{\"series\":[{\"data\":[0]}]}");
    EXPECT_EQ(by_copy("{\"s\":\"\\u00e9\\/\\n\",\"series\":[{}]}", first),
              "{\"s\":\"\xC3\xA9/\\n\",\"series\":[{\"data\":[0]}]}");
    const OptionEdits visual = make_edits(OptionEdits::Entries::First, 0, true);
    EXPECT_EQ(by_copy("{\"series\":[{}]}", visual), "{\"series\":[{\"data\":[0]}],\"visualMap\":{\"max\":12.5}}");
    EXPECT_EQ(by_copy("{\"visualMap\":{\"max\":1,\"min\":0},\"series\":[{}]}", visual),
              "{\"visualMap\":{\"max\":12.5,\"min\":0},\"series\":[{\"data\":[0]}]}");
    EXPECT_EQ(by_copy("{\"visualMap\":{},\"series\":[{}]}", visual),
              "{\"visualMap\":{\"max\":12.5},\"series\":[{\"data\":[0]}]}");
    const OptionEdits every = make_edits(OptionEdits::Entries::Every, 2, false);
    EXPECT_EQ(by_copy("{\"series\":[{},{\"data\":1,\"x\":2}]}", every),
              "{\"series\":[{\"data\":[0]},{\"data\":[1],\"x\":2}]}");
    const OptionEdits none = make_edits(OptionEdits::Entries::Every, 0, false);
    EXPECT_EQ(by_copy("{\"series\" : [ ] }", none), "{\"series\":[]}");
}

TEST(OptionCopy, GivesUp) {
    const OptionEdits first = make_edits(OptionEdits::Entries::First, 0, true);
    // Documents that the document path refuses too...
    for (const char* text : {
             "", "[]", "{}", "{\"series\":null}", "{\"series\":[]}", "{\"series\":{}}", "{\"series\":[1]}",
             "{\"series\":[{}],\"visualMap\":[]}", "{\"series\":[{}]} x", "{\"series\":[{}],}", "{\"series\":[{}]",
             "{\"n\":NaN,\"series\":[{}]}", "{\"n\":01,\"series\":[{}]}", "{\"n\":1e400,\"series\":[{}]}",
             "{\"s\":\"\\ud800\",\"series\":[{}]}", "{\"s\":\"a\tb\",\"series\":[{}]}",
         }) {
        EXPECT_EQ(by_copy(text, first), std::nullopt) << text;
        EXPECT_EQ(by_document(text, first), std::nullopt) << text;
    }
    // ...and documents that only the document path handles.
    for (const char* text : {
             "{\"series\":[null]}", "{\"series\":[{}],\"visualMap\":null}", "{\"series\":[{}],\"series\":[{}]}",
             "{\"a\":1,\"a\":2,\"series\":[{}]}", "{\"\\u0061\":1,\"series\":[{}]}",
             "{\"series\":[{\"data\":1,\"data\":2}]}",
         }) {
        EXPECT_EQ(by_copy(text, first), std::nullopt) << text;
        EXPECT_NE(by_document(text, first), std::nullopt) << text;
    }
    const OptionEdits every = make_edits(OptionEdits::Entries::Every, 2, false);
    EXPECT_EQ(by_copy("{\"series\":[{}]}", every), std::nullopt);
    EXPECT_EQ(by_copy("{\"series\":[{},{},{}]}", every), std::nullopt);
}

TEST(OptionCopy, NestingLimit) {
    const OptionEdits first = make_edits(OptionEdits::Entries::First, 0, false);
    const auto nested = [](int levels) {
        return std::string(static_cast<std::size_t>(levels), '[') + std::string(static_cast<std::size_t>(levels), ']');
    };
    // The root counts: 126 arrays inside it make 127 levels, the most the reader takes.
    const std::string ok = "{\"series\":[{}],\"d\":" + nested(126) + "}";
    EXPECT_EQ(by_copy(ok, first), by_document(ok, first));
    EXPECT_NE(by_copy(ok, first), std::nullopt);
    const std::string deep = "{\"series\":[{}],\"d\":" + nested(127) + "}";
    EXPECT_EQ(by_document(deep, first), std::nullopt);
    EXPECT_EQ(by_copy(deep, first), std::nullopt);
}

void check_random_documents(bool clean, OptionEdits::Entries entries) {
    int copied = 0;
    for (std::uint64_t seed = 0; seed < 20000; ++seed) {
        activity_test::DocGen gen(seed * 2 + (clean ? 1 : 0), clean);
        const int count = entries == OptionEdits::Entries::First ? 1 + gen.pick(3) : gen.pick(4);
        const std::string text = gen.document(count);
        const OptionEdits edits = make_edits(entries, static_cast<std::size_t>(count), gen.chance(50));
        const auto copy = by_copy(text, edits);
        const auto reference = by_document(text, edits);
        if (copy) {
            ++copied;
            ASSERT_EQ(copy, reference) << text;
        } else if (clean) {
            ASSERT_EQ(reference, std::nullopt) << "a clean document the copy gave up on: " << text;
        }
        if (clean) {
            ASSERT_NE(copy, std::nullopt) << text;
        }
    }
    // The copy takes every clean document; of the others (most of which have
    // an anomaly somewhere) still a good share.
    EXPECT_GT(copied, clean ? 19999 : 1000);
}

TEST(OptionCopy, RandomCleanDocumentsFirstEntry) { check_random_documents(true, OptionEdits::Entries::First); }
TEST(OptionCopy, RandomCleanDocumentsEveryEntry) { check_random_documents(true, OptionEdits::Entries::Every); }
TEST(OptionCopy, RandomDocumentsFirstEntry) { check_random_documents(false, OptionEdits::Entries::First); }
TEST(OptionCopy, RandomDocumentsEveryEntry) { check_random_documents(false, OptionEdits::Entries::Every); }

}  // namespace
