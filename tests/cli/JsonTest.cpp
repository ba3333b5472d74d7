#include "cli/Json.h"

#include <gtest/gtest.h>

using zel::cli::JsonString;

namespace {

TEST(JsonTest, WellFormedUtf8PassesAndEveryOtherHighByteIsReplaced) {
    EXPECT_EQ(JsonString("记录/é\xF0\x9F\x98\x80"), "\"记录/é\xF0\x9F\x98\x80\"");
    EXPECT_EQ(JsonString("a\"b\\c\n\x01\x7F"), "\"a\\\"b\\\\c\\n\\u0001\\u007f\"");
    const struct {
        const char* what;
        std::string bytes;
        std::string json;
    } cases[] = {
        {"Latin-1 byte", "caf\xE9.zmr", "\"caf\\ufffd.zmr\""},
        {"stray continuation", "\x80x", "\"\\ufffdx\""},
        {"overlong slash", "\xC0\xAF", "\"\\ufffd\\ufffd\""},
        {"overlong three bytes", "\xE0\x80\xAF", "\"\\ufffd\\ufffd\\ufffd\""},
        {"surrogate", "\xED\xA0\x80", "\"\\ufffd\\ufffd\\ufffd\""},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", "\"\\ufffd\\ufffd\\ufffd\\ufffd\""},
        {"cut at the end", "\xE4\xB8", "\"\\ufffd\\ufffd\""},
        {"cut before ASCII", "\xE4\xB8z", "\"\\ufffd\\ufffdz\""},
        {"no lead byte", "\xFF", "\"\\ufffd\""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(JsonString(c.bytes), c.json) << c.what;
}

} // namespace
