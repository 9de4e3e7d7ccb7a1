#include "foundation/NSCharacterSet.h"
#include "foundation/NSScanner.h"
#include "foundation/NSString.h"
#include "foundation/Process.h"
#include "objc/Message.h"

#include <gtest/gtest.h>

#include <stdexcept>

using objc::Id;
using objc::send;

namespace {

class NSScannerTest : public ::testing::Test {
protected:
    zovo::Process process;

    static objc::Ref<NSString> s(std::string_view text) { return NSString::from(text); }

    // A scanner that skips exactly "#", as colour settings are read.
    static objc::Ref<NSScanner> hashScanner(std::string_view text)
    {
        objc::Ref<NSScanner> scanner = NSScanner::scannerWithString(s(text));
        scanner->setCharactersToBeSkipped(NSCharacterSet::characterSetWithCharactersInString(s("#")));
        return scanner;
    }

    struct Scan {
        bool found;
        std::uint32_t value;
        std::uint64_t location;
    };
    static Scan scanHex(std::string_view text)
    {
        objc::Ref<NSScanner> scanner = hashScanner(text);
        std::uint32_t value = 0xDEADBEEF;
        bool found = scanner->scanHexInt(&value);
        return {found, value, scanner->scanLocation()};
    }
};

TEST_F(NSScannerTest, ScanHexIntReadsDigitsOfEitherCaseAfterSkippedHashes)
{
    for (const char* text : {"FF8000", "#FF8000", "##FF8000", "ff8000", "#fF8000"}) {
        Scan scan = scanHex(text);
        EXPECT_TRUE(scan.found) << text;
        EXPECT_EQ(scan.value, 0xFF8000u) << text;
    }
    EXPECT_EQ(scanHex("#FFF").value, 0xFFFu) << "three digits are not expanded";
    EXPECT_EQ(scanHex("12345678").value, 0x12345678u);
    EXPECT_EQ(scanHex("000000FF8000").value, 0xFF8000u) << "leading zeros do not overflow";
}

TEST_F(NSScannerTest, ScanHexIntStopsAtTheFirstNonHexCharacter)
{
    Scan scan = scanHex("#ff8000zz");
    EXPECT_EQ(scan.value, 0xFF8000u);
    EXPECT_EQ(scan.location, 7u);
    EXPECT_EQ(scanHex("12 34").value, 0x12u);
    EXPECT_EQ(scanHex("1:0.5").value, 0x1u);
}

TEST_F(NSScannerTest, ScanHexIntSaturatesOnOverflowAndStillConsumesTheDigits)
{
    Scan scan = scanHex("1FF8000AA");
    EXPECT_TRUE(scan.found);
    EXPECT_EQ(scan.value, 0xFFFFFFFFu);
    EXPECT_EQ(scan.location, 9u);
    EXPECT_EQ(scanHex("FFFFFFFF").value, 0xFFFFFFFFu) << "the largest value that fits is not an overflow";
    EXPECT_EQ(scanHex("FFFFFFFFFFFFFFFFFFFFFFFF").value, 0xFFFFFFFFu);
}

TEST_F(NSScannerTest, ScanHexIntTakesAnOptionalPrefixOnlyBeforeADigit)
{
    EXPECT_EQ(scanHex("0x1A").value, 0x1Au);
    EXPECT_EQ(scanHex("#0X1a").value, 0x1Au);
    // Without a digit after it, the prefix is not one: the "0" is the number.
    Scan bare = scanHex("0x");
    EXPECT_TRUE(bare.found);
    EXPECT_EQ(bare.value, 0u);
    EXPECT_EQ(bare.location, 1u);
    Scan letter = scanHex("0xg");
    EXPECT_TRUE(letter.found);
    EXPECT_EQ(letter.location, 1u);
    EXPECT_EQ(scanHex("0x0x1").value, 0u);
}

TEST_F(NSScannerTest, FailedScanLeavesValueAndLocationAlone)
{
    for (const char* text : {"", "#", "##", "x12", "zz", " #FF8000", "\tFF", "-1", "+1"}) {
        Scan scan = scanHex(text);
        EXPECT_FALSE(scan.found) << '"' << text << '"';
        EXPECT_EQ(scan.value, 0xDEADBEEFu) << '"' << text << '"';
        EXPECT_EQ(scan.location, 0u) << "skipped characters are given back: \"" << text << '"';
    }
}

TEST_F(NSScannerTest, DefaultSkipSetIsWhiteSpaceAndNewlines)
{
    objc::Ref<NSScanner> scanner = NSScanner::scannerWithString(s(" \n\t FF"));
    std::uint32_t value = 0;
    EXPECT_TRUE(scanner->scanHexInt(&value));
    EXPECT_EQ(value, 0xFFu);
    EXPECT_TRUE(scanner->isAtEnd());

    objc::Ref<NSScanner> skipsNothing = NSScanner::scannerWithString(s(" FF"));
    skipsNothing->setCharactersToBeSkipped(nullptr);
    EXPECT_FALSE(skipsNothing->scanHexInt(&value));
    EXPECT_FALSE(skipsNothing->isAtEnd());
}

TEST_F(NSScannerTest, SuccessiveScansContinueWhereTheLastOneStopped)
{
    objc::Ref<NSScanner> scanner = NSScanner::scannerWithString(s("FF 0x10 g"));
    std::uint32_t first = 0;
    std::uint32_t second = 0;
    EXPECT_TRUE(scanner->scanHexInt(&first));
    EXPECT_TRUE(scanner->scanHexInt(&second));
    EXPECT_EQ(first, 0xFFu);
    EXPECT_EQ(second, 0x10u);
    EXPECT_FALSE(scanner->scanHexInt(nullptr));
    EXPECT_EQ(scanner->scanLocation(), 7u);
}

TEST_F(NSScannerTest, LocationsCountUtf16UnitsAndSkipSetsHoldWholeCharacters)
{
    objc::Ref<NSScanner> scanner = NSScanner::scannerWithString(s("😀éFFz"));
    scanner->setCharactersToBeSkipped(NSCharacterSet::characterSetWithCharactersInString(s("é😀")));
    std::uint32_t value = 0;
    EXPECT_TRUE(scanner->scanHexInt(&value));
    EXPECT_EQ(value, 0xFFu);
    EXPECT_EQ(scanner->scanLocation(), 5u) << "2 for the emoji, 1 for é, 2 digits";
    scanner->setScanLocation(0);
    EXPECT_EQ(scanner->scanLocation(), 0u);
    EXPECT_THROW(scanner->setScanLocation(1), std::out_of_range) << "inside the surrogate pair";
    EXPECT_THROW(scanner->setScanLocation(7), std::out_of_range) << "past the end";
}

TEST_F(NSScannerTest, CharacterSetsFollowThePlatformDefinitions)
{
    objc::Ref<NSCharacterSet> white = NSCharacterSet::whitespaceCharacterSet();
    EXPECT_TRUE(white->characterIsMember(U' '));
    EXPECT_TRUE(white->characterIsMember(U'\t'));
    EXPECT_TRUE(white->characterIsMember(0x3000));
    EXPECT_FALSE(white->characterIsMember(U'\n'));
    EXPECT_TRUE(NSCharacterSet::whitespaceAndNewlineCharacterSet()->characterIsMember(0x2028));
    EXPECT_FALSE(NSCharacterSet::characterSetWithCharactersInString(nullptr)->characterIsMember(U'#'));
    EXPECT_FALSE(NSCharacterSet::characterSetWithCharactersInString(s("#"))->characterIsMember(U' '));
}

TEST_F(NSScannerTest, ScansThroughTheRuntimeAsTheColourParserDoes)
{
    Id scanner = send<Id>(objc::objc_getClass("NSScanner"), "scannerWithString:", s("##FF8000"));
    Id skip = send<Id>(objc::objc_getClass("NSCharacterSet"), "characterSetWithCharactersInString:", s("#"));
    send(scanner, "setCharactersToBeSkipped:", skip);
    std::uint32_t result = 0;
    EXPECT_TRUE(send<bool>(scanner, "scanHexInt:", &result));
    EXPECT_EQ(result, 0xFF8000u);
    EXPECT_EQ(send<std::uint64_t>(scanner, "scanLocation"), 8u);
    EXPECT_TRUE(send<bool>(scanner, "isAtEnd"));
    EXPECT_EQ(send<Id>(scanner, "charactersToBeSkipped").get(), skip.get());
    EXPECT_THROW(send(scanner, "setCharactersToBeSkipped:", s("#")), std::invalid_argument) << "a string is not a character set";
}

} // namespace
