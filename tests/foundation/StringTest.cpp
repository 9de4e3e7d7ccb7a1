#include "foundation/NSArray.h"
#include "foundation/NSString.h"
#include "foundation/Process.h"
#include "objc/Message.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <utility>
#include <vector>

using objc::StrongId;
using objc::send;

namespace {

class String : public ::testing::Test {
protected:
    zovo::Process process;

    static objc::StrongRef<NSString> s(std::string_view text) { return NSString::from(text); }

    static std::vector<std::string> pieces(std::string_view text, std::string_view separator)
    {
        std::vector<std::string> out;
        objc::StrongRef<NSArray> array = s(text)->componentsSeparatedByString(s(separator).get());
        for (const StrongId& piece : array->elements()) out.push_back(textOf(piece.get()));
        return out;
    }
};

TEST_F(String, BoolValueIsTrueOnYTOrANonZeroDigitAfterSpaceSignAndZeros)
{
    for (const char* yes : {"YES", "yes", "Y", "true", "T", "t", "1", "9", "0001", "+1", "-1", "-0007", "+y", " \t y", "\u00A0Y", "1abc"})
        EXPECT_TRUE(s(yes)->boolValue()) << '"' << yes << '"';
    for (const char* no : {"NO", "no", "false", "F", "0", "000", "-0", "", " ", "0x1", "+", "+-1", "\ny", "\r\n1", "++1", "a1", " 0 1"})
        EXPECT_FALSE(s(no)->boolValue()) << '"' << no << '"';
}

// The decimal number at the start, after white space (newlines too); what follows is ignored, no
// locale applies, hexadecimal and named values are not read, and out-of-range values saturate.
TEST_F(String, NumericValuesReadTheNumberAtTheStart)
{
    constexpr float inf = std::numeric_limits<float>::infinity();
    const std::pair<const char*, float> floats[] = {
        {"0.25", 0.25f}, {"250", 250}, {" 12.5abc", 12.5f}, {"\n\t 3", 3}, {"-1.5", -1.5f}, {"+2", 2}, {".5", 0.5f}, {"5.", 5},
        {"1e3", 1000}, {"2E-1x", 0.2f}, {"1e", 1}, {"1e+", 1}, {"0.1", 0.1f}, {"3,5", 3}, {"0x10", 0}, {"", 0}, {"abc", 0}, {".", 0},
        {"-", 0}, {"+.", 0}, {"e5", 0}, {"- 5", 0}, {"inf", 0}, {"-infinity", 0}, {"nan", 0}, {"NaN", 0}, {"1e39", inf},
        {"-1e999", -inf}, {"1e-999", 0}, {"0.0000000000000000000000000000000000000000000000001", 0}};
    for (const auto& [text, value] : floats) EXPECT_EQ(s(text)->floatValue(), value) << '"' << text << '"';
    EXPECT_EQ(s("1e39")->doubleValue(), 1e39) << "in range for a double";
    EXPECT_EQ(s("1e400")->doubleValue(), std::numeric_limits<double>::infinity());

    constexpr std::int32_t largest = std::numeric_limits<std::int32_t>::max(), smallest = std::numeric_limits<std::int32_t>::min();
    const std::pair<const char*, std::int32_t> ints[] = {
        {" 42abc", 42}, {"-7.9", -7}, {"abc", 0}, {"99999999999", largest}, {"-99999999999", smallest}, {"-2147483648", smallest}};
    for (const auto& [text, value] : ints) EXPECT_EQ(s(text)->intValue(), value) << '"' << text << '"';
    EXPECT_EQ(s("9223372036854775808")->integerValue(), std::numeric_limits<std::int64_t>::max());
}

TEST_F(String, ContainsStringIsFalseForTheEmptyStringAndNil)
{
    EXPECT_TRUE(s("FF8800:")->containsString(s(":").get()));
    EXPECT_FALSE(s("FF8800")->containsString(s("").get()));
    EXPECT_FALSE(s("FF8800")->containsString(nullptr));
    EXPECT_TRUE(s("grüße")->containsString(s("üß").get()));
}

TEST_F(String, ComponentsSplitAtEveryOccurrenceKeepingEmptyPieces)
{
    using V = std::vector<std::string>;
    EXPECT_EQ(pieces("FF8800:", ":"), (V{"FF8800", ""})) << "a bare colon leaves an empty second piece";
    EXPECT_EQ(pieces(":", ":"), (V{"", ""}));
    EXPECT_EQ(pieces("a::b", ":"), (V{"a", "", "b"}));
    EXPECT_EQ(pieces("a::b", "::"), (V{"a", "b"}));
    EXPECT_EQ(pieces("abc", ":"), (V{"abc"}));
    EXPECT_EQ(pieces("", ":"), (V{""}));
    EXPECT_EQ(pieces("abc", ""), (V{"abc"}));
}

TEST_F(String, LengthCountsUtf16CodeUnits)
{
    EXPECT_EQ(s("")->length(), 0u);
    EXPECT_EQ(s("abc")->length(), 3u);
    EXPECT_EQ(s("é")->length(), 1u);
    EXPECT_EQ(s("😀")->length(), 2u) << "outside the basic plane: a surrogate pair";
    EXPECT_EQ(s("\xff\xfe")->length(), 2u) << "each stray byte counts as one replacement character";
    EXPECT_EQ(s("\xe2\x82")->length(), 2u) << "a truncated sequence is not swallowed";
}

} // namespace
