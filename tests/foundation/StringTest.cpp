#include "foundation/NSArray.h"
#include "foundation/NSString.h"
#include "foundation/Process.h"
#include "objc/Message.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
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

TEST_F(String, FloatValueReadsTheDecimalNumberAtTheStart)
{
    EXPECT_EQ(s("0.25")->floatValue(), 0.25f);
    EXPECT_EQ(s("0.5")->floatValue(), 0.5f);
    EXPECT_EQ(s("250")->floatValue(), 250.0f);
    EXPECT_EQ(s(" 12.5abc")->floatValue(), 12.5f) << "leading space skipped, the rest ignored";
    EXPECT_EQ(s("\n\t 3")->floatValue(), 3.0f) << "newlines count as leading white space here";
    EXPECT_EQ(s("-1.5")->floatValue(), -1.5f);
    EXPECT_EQ(s("+2")->floatValue(), 2.0f);
    EXPECT_EQ(s(".5")->floatValue(), 0.5f);
    EXPECT_EQ(s("5.")->floatValue(), 5.0f);
    EXPECT_EQ(s("1e3")->floatValue(), 1000.0f);
    EXPECT_EQ(s("2E-1x")->floatValue(), 0.2f);
    EXPECT_EQ(s("1e")->floatValue(), 1.0f) << "an exponent marker without digits is not part of the number";
    EXPECT_EQ(s("1e+")->floatValue(), 1.0f);
    EXPECT_EQ(s("0.1")->floatValue(), 0.1f) << "the nearest 32-bit float";
    EXPECT_EQ(s("3,5")->floatValue(), 3.0f) << "no locale: a comma ends the number";
}

TEST_F(String, FloatValueIsZeroWhenTheTextDoesNotStartWithANumber)
{
    for (const char* text : {"", "abc", ".", "-", "+.", "e5", "- 5", "inf", "-infinity", "nan", "NaN", "x1"})
        EXPECT_EQ(s(text)->floatValue(), 0.0f) << '"' << text << '"';
    EXPECT_EQ(s("0x10")->floatValue(), 0.0f) << "hexadecimal floats are not read; the 0 is";
}

TEST_F(String, FloatValueGoesToInfinityPastTheRangeAndToZeroBelowIt)
{
    EXPECT_EQ(s("1e39")->floatValue(), std::numeric_limits<float>::infinity());
    EXPECT_EQ(s("-1e999")->floatValue(), -std::numeric_limits<float>::infinity());
    EXPECT_EQ(s("1e-999")->floatValue(), 0.0f);
    EXPECT_EQ(s("0.0000000000000000000000000000000000000000000000001")->floatValue(), 0.0f);
    EXPECT_EQ(s("1e39")->doubleValue(), 1e39) << "in range for a double";
    EXPECT_EQ(s("1e400")->doubleValue(), std::numeric_limits<double>::infinity());
}

TEST_F(String, IntValueReadsTheIntegerAtTheStartAndClampsOnOverflow)
{
    EXPECT_EQ(s(" 42abc")->intValue(), 42);
    EXPECT_EQ(s("-7.9")->intValue(), -7);
    EXPECT_EQ(s("abc")->intValue(), 0);
    EXPECT_EQ(s("99999999999")->intValue(), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(s("-99999999999")->intValue(), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(s("-2147483648")->intValue(), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(s("9223372036854775808")->integerValue(), std::numeric_limits<std::int64_t>::max());
}

TEST_F(String, ContainsStringIsFalseForTheEmptyStringAndNil)
{
    EXPECT_TRUE(s("FF8800:0.5")->containsString(s(":").get()));
    EXPECT_TRUE(s("FF8800:")->containsString(s(":").get()));
    EXPECT_FALSE(s("FF8800")->containsString(s(":").get()));
    EXPECT_FALSE(s("FF8800")->containsString(s("").get()));
    EXPECT_FALSE(s("FF8800")->containsString(nullptr));
    EXPECT_TRUE(s("grüße")->containsString(s("üß").get()));
}

TEST_F(String, ComponentsSplitAtEveryOccurrenceKeepingEmptyPieces)
{
    using V = std::vector<std::string>;
    EXPECT_EQ(pieces("FF8800:0.5", ":"), (V{"FF8800", "0.5"}));
    EXPECT_EQ(pieces("FF8800:", ":"), (V{"FF8800", ""})) << "a bare colon leaves an empty second piece";
    EXPECT_EQ(pieces("000000:0.25:9", ":"), (V{"000000", "0.25", "9"}));
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
