#include "foundation/Json.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace zovo {

TEST(Json, Utf8ValidityRejectsOverlongSurrogatesAndTruncation)
{
    EXPECT_TRUE(isValidUtf8("plain, caf\xC3\xA9, \xE2\x82\xAC, \xF0\x9F\x98\x80"));
    EXPECT_FALSE(isValidUtf8("\xC0\xAF"));         // overlong slash
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));     // a UTF-16 surrogate
    EXPECT_FALSE(isValidUtf8("\xF4\x90\x80\x80")); // past U+10FFFF
    EXPECT_FALSE(isValidUtf8("\xE2\x82"));         // cut short at the end
    EXPECT_FALSE(isValidUtf8("\xFF"));
}

TEST(Json, InvalidTextIsRepairedAndWrittenAsValidJson)
{
    EXPECT_EQ(repairUtf8("a\xFF" "b\xE2\x82"), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(repairUtf8("caf\xC3\xA9"), "caf\xC3\xA9");

    nlohmann::ordered_json value = {{"title", "bad \xFF byte"}, {"n", 1}};
    const std::string compact = toJsonText(value, JsonStyle::Compact);
    EXPECT_EQ(compact, "{\"title\":\"bad \xEF\xBF\xBD byte\",\"n\":1}");
    EXPECT_TRUE(isValidUtf8(compact));
    EXPECT_NE(toJsonText(value, JsonStyle::Pretty).find("\n  \"n\": 1"), std::string::npos);
}

} // namespace zovo
