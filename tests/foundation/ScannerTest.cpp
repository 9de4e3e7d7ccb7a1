#include "foundation/NSCharacterSet.h"
#include "foundation/NSScanner.h"
#include "foundation/NSString.h"
#include "foundation/Process.h"

#include <gtest/gtest.h>

#include <ostream>
#include <stdexcept>

namespace {

class Scanner : public ::testing::Test {
protected:
    zovo::Process process;

    static objc::StrongRef<NSString> s(std::string_view text) { return NSString::from(text); }

    struct Scan {
        bool found;
        std::uint32_t value;
        std::uint64_t location;
        bool operator==(const Scan&) const = default;
        friend void PrintTo(const Scan& s, std::ostream* os) { *os << (s.found ? "found " : "none ") << std::hex << s.value << std::dec << " at " << s.location; }
    };
    // One scanHexInt from the start of `text`, skipping exactly "#" as colour settings are read.
    static Scan scanHex(std::string_view text)
    {
        objc::StrongRef<NSScanner> scanner = NSScanner::scannerWithString(s(text).get());
        scanner->setCharactersToBeSkipped(NSCharacterSet::characterSetWithCharactersInString(s("#").get()).get());
        std::uint32_t value = 0xDEADBEEF;
        bool found = scanner->scanHexInt(&value);
        return {found, value, scanner->scanLocation()};
    }
};

TEST_F(Scanner, ScanHexIntReadsAPrefixAndDigitsOfEitherCaseUpToTheFirstOtherCharacterSaturatingPast32BitsOrChangesNothing)
{
    EXPECT_EQ(scanHex("##ff8000"), (Scan{true, 0xFF8000, 8}));
    EXPECT_EQ(scanHex("#fF8000zz"), (Scan{true, 0xFF8000, 7}));
    EXPECT_EQ(scanHex("1:0.5"), (Scan{true, 0x1, 1}));
    EXPECT_EQ(scanHex("#FFF").value, 0xFFFu) << "three digits are not expanded";
    EXPECT_EQ(scanHex("000000FF8000").value, 0xFF8000u) << "leading zeros do not overflow";
    EXPECT_EQ(scanHex("FFFFFFFE").value, 0xFFFFFFFEu) << "the largest values that fit are no overflow";
    EXPECT_EQ(scanHex("1FF8000AA"), (Scan{true, 0xFFFFFFFF, 9})) << "digits past 32 bits are still consumed";
    EXPECT_EQ(scanHex("#0X1a"), (Scan{true, 0x1A, 5}));
    // Without a digit after it, the prefix is not one: the "0" is the number.
    EXPECT_EQ(scanHex("0xg"), (Scan{true, 0, 1}));
    EXPECT_EQ(scanHex("0x0x1"), (Scan{true, 0, 3}));
    // A failed scan leaves value and location alone, giving skipped characters back too.
    for (const char* text : {"", "##", "x12", " #FF8000", "-1"}) EXPECT_EQ(scanHex(text), (Scan{false, 0xDEADBEEF, 0})) << '"' << text << '"';
}

TEST_F(Scanner, ScansContinueWhereTheLastStoppedSkippingWhiteSpaceByDefault)
{
    objc::StrongRef<NSScanner> scanner = NSScanner::scannerWithString(s(" \n\tFF 0x10 g").get());
    std::uint32_t first = 0, second = 0;
    EXPECT_TRUE(scanner->scanHexInt(&first) && scanner->scanHexInt(&second));
    EXPECT_EQ(first, 0xFFu);
    EXPECT_EQ(second, 0x10u);
    EXPECT_FALSE(scanner->scanHexInt(nullptr));
    EXPECT_EQ(scanner->scanLocation(), 10u);
    EXPECT_FALSE(scanner->isAtEnd());
    scanner->setScanLocation(12);
    EXPECT_TRUE(scanner->isAtEnd());

    objc::StrongRef<NSScanner> skipsNothing = NSScanner::scannerWithString(s(" FF").get());
    skipsNothing->setCharactersToBeSkipped(nullptr);
    EXPECT_FALSE(skipsNothing->scanHexInt(&first));
}

TEST_F(Scanner, LocationsCountUtf16UnitsAndSkipSetsHoldWholeCharacters)
{
    objc::StrongRef<NSScanner> scanner = NSScanner::scannerWithString(s("😀éFFz").get());
    scanner->setCharactersToBeSkipped(NSCharacterSet::characterSetWithCharactersInString(s("é😀").get()).get());
    std::uint32_t value = 0;
    EXPECT_TRUE(scanner->scanHexInt(&value) && value == 0xFFu);
    EXPECT_EQ(scanner->scanLocation(), 5u) << "2 for the emoji, 1 for é, 2 digits";
    scanner->setScanLocation(0);
    EXPECT_THROW(scanner->setScanLocation(1), std::out_of_range) << "inside the surrogate pair";
    EXPECT_THROW(scanner->setScanLocation(7), std::out_of_range) << "past the end";

    EXPECT_FALSE(NSCharacterSet::whitespaceCharacterSet()->characterIsMember(U'\n'));
    EXPECT_TRUE(NSCharacterSet::whitespaceAndNewlineCharacterSet()->characterIsMember(0x2028));
    EXPECT_FALSE(NSCharacterSet::characterSetWithCharactersInString(nullptr)->characterIsMember(U'#'));
}

} // namespace
