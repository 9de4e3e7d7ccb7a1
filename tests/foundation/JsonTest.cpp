#include "foundation/Json.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace zovo {

TEST(Json, Utf8ValidityRejectsOverlongSurrogatesAndTruncationAndInvalidTextIsRepairedAndWrittenValid)
{
    EXPECT_TRUE(isValidUtf8("plain, caf\xC3\xA9, \xE2\x82\xAC, \xF0\x9F\x98\x80"));
    EXPECT_FALSE(isValidUtf8("\xC0\xAF"));         // overlong slash
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));     // a UTF-16 surrogate
    EXPECT_FALSE(isValidUtf8("\xF4\x90\x80\x80")); // past U+10FFFF
    EXPECT_FALSE(isValidUtf8("\xE2\x82"));         // cut short at the end
    EXPECT_FALSE(isValidUtf8("\xFF"));
    // Invalid text is repaired, and written as valid JSON.
    EXPECT_EQ(repairUtf8("a\xFF" "b\xE2\x82"), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD") << "a sequence cut short is one replacement";
    EXPECT_EQ(repairUtf8("caf\xC3\xA9"), "caf\xC3\xA9");
    // The writer repairs alike, so text repaired first and text repaired on the way out agree.
    for (const char* bad : {"\x80\xF4\x80\x90", "\xE0\x80\xAF", "\xED\xA0\x80x", "\xF0\x9F\x98", "\xC0\xC1\xF5\xFF"}) {
        const std::string written = toJsonText(nlohmann::json(bad), JsonStyle::Compact);
        EXPECT_EQ(written, toJsonText(nlohmann::json(repairUtf8(bad)), JsonStyle::Compact)) << written;
    }

    nlohmann::ordered_json value = {{"title", "bad \xFF byte"}, {"n", 1}};
    const std::string compact = toJsonText(value, JsonStyle::Compact);
    EXPECT_EQ(compact, "{\"title\":\"bad \xEF\xBF\xBD byte\",\"n\":1}");
    EXPECT_TRUE(isValidUtf8(compact));
    EXPECT_NE(toJsonText(value, JsonStyle::Pretty).find("\n  \"n\": 1"), std::string::npos);
}

// The parse error for `text`, or empty when it parses.
std::string parseError(std::string_view text, JsonLimits limits = {})
{
    auto parsed = parseJsonText(text, limits);
    return parsed ? std::string() : parsed.error();
}

TEST(Json, HostileNestingIsStoppedBeforeAnythingIsBuilt)
{
    // The scenario reader's test nests deep enough to overflow the stack of a recursive builder.
    EXPECT_EQ(parseError(std::string(65, '[') + std::string(65, ']')), "line 1, column 65: nested deeper than the limit of 64 levels");
    // Brackets inside strings are text, not nesting.
    EXPECT_EQ(parseError("[\"" + std::string(1000, '[') + "\"]"), "");
    EXPECT_EQ(parseError("[[[1]]]", {.maxDepth = 3}), "");
    EXPECT_EQ(parseError("[\n [[[1]]]]", {.maxDepth = 3}), "line 2, column 4: nested deeper than the limit of 3 levels");
    EXPECT_EQ(parseError("[1, 2, 3]", {.maxBytes = 4}), "line 1, column 5: the text goes on past the limit of 4 bytes");
}

TEST(Json, ParseErrorsNameLineColumnAndReason)
{
    auto parsed = parseJsonText("{\"a\": [1, 2]}");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed.value()["a"][1], 2);

    EXPECT_EQ(parseError("").substr(0, 16), "line 1, column 1");
    EXPECT_NE(parseError("").find("unexpected end of input"), std::string::npos);
    const std::string badByte = parseError("{\n  \"k\": \"caf\xC3\xA9 \xFF\"}");
    EXPECT_EQ(badByte.substr(0, 17), "line 2, column 14");
    EXPECT_NE(badByte.find("ill-formed UTF-8"), std::string::npos);
    EXPECT_TRUE(isValidUtf8(badByte)) << "the quoted bytes are repaired";
    EXPECT_NE(parseError("[\"\\ud800\"]").find("surrogate"), std::string::npos);
    EXPECT_NE(parseError("[1e400]").find("line 1, column 6: number overflow"), std::string::npos);
    EXPECT_NE(parseError("[1] x").find("line 1, column 5: syntax error"), std::string::npos);
    // The reader would stop at a NUL and take what came before it as the whole text.
    EXPECT_EQ(parseError(std::string("{\"until\":1}\0garbage", 20)), "line 1, column 12: a NUL byte, which JSON text cannot hold");
}

} // namespace zovo
