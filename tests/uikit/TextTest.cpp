#include "UIKitFixture.h"

#include "foundation/NSString.h"
#include "objc/Message.h"
#include "uikit/TextLayout.h"
#include "uikit/UIFont.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

using namespace std::string_literals;
using objc::Id;

namespace {

const char* const kMessage = "Your package has been delivered to the front door. Tap to see the photo the courier left.";

zovo::FontDescriptor systemFont(double size, zovo::FontWeight weight = zovo::FontWeight::Regular)
{
    return zovo::FontDescriptor{zovo::systemFontFamily(), size, weight};
}

zovo::TextMeasurement wrapped(const char* text, double width, std::int64_t lines = 0)
{
    return zovo::measureText(text, systemFont(12), width, lines, NSLineBreakByWordWrapping);
}

// ---- Measurement --------------------------------------------------------------------------

TEST(TextLayout, WrappingGivesMoreLinesAtNarrowerWidthsWithinTheWidth)
{
    const double lineHeight = zovo::measureFont(systemFont(12)).lineHeight;
    int previousLines = 0;
    for (double width : {1000.0, 400.0, 189.0, 120.0, 60.0}) {
        const zovo::TextMeasurement m = wrapped(kMessage, width);
        EXPECT_LE(m.size.width, width) << width;
        EXPECT_GE(m.lines, previousLines) << width;
        EXPECT_NEAR(m.size.height, m.lines * lineHeight, 1.0) << width;
        previousLines = m.lines;
    }
    EXPECT_EQ(wrapped(kMessage, 1000).lines, 1);
    EXPECT_GT(previousLines, 4);
    // The message a banner shows at its usual width: two lines or more, never its full width.
    EXPECT_GE(wrapped(kMessage, 189).lines, 2);
}

TEST(TextLayout, SizesAreWholePointsRoundedUp)
{
    for (double size : {11.0, 12.0, 14.0, 17.0}) {
        const zovo::TextMeasurement m = zovo::measureText("Messages", systemFont(size), 0, 1, NSLineBreakByTruncatingTail);
        EXPECT_EQ(m.size.width, std::ceil(m.size.width));
        EXPECT_EQ(m.size.height, std::ceil(zovo::measureFont(systemFont(size)).lineHeight)) << size;
    }
    const zovo::TextMeasurement twoLines = wrapped("one\ntwo", 0);
    EXPECT_EQ(twoLines.size.height, std::ceil(2 * zovo::measureFont(systemFont(12)).lineHeight));
}

TEST(TextLayout, LineLimitKeepsTheFirstLines)
{
    const zovo::TextMeasurement all = wrapped(kMessage, 120);
    const zovo::TextMeasurement two = wrapped(kMessage, 120, 2);
    ASSERT_GT(all.lines, 2);
    EXPECT_EQ(two.lines, 2);
    EXPECT_LT(two.size.height, all.size.height);
    EXPECT_EQ(two.size.height, wrapped("first\nsecond", 0).size.height);
    // A negative limit is no limit.
    EXPECT_EQ(wrapped(kMessage, 120, -3).lines, all.lines);
}

TEST(TextLayout, SingleLineCutsInsteadOfWrappingAndKeepsExplicitBreaksOut)
{
    const zovo::FontDescriptor font = systemFont(12);
    const double natural = zovo::measureText(kMessage, font, 0, 1, NSLineBreakByTruncatingTail).size.width;
    for (NSLineBreakMode mode : {NSLineBreakByClipping, NSLineBreakByTruncatingHead, NSLineBreakByTruncatingTail, NSLineBreakByTruncatingMiddle}) {
        const zovo::TextMeasurement m = zovo::measureText(kMessage, font, 100, 1, mode);
        EXPECT_EQ(m.lines, 1) << mode;
        EXPECT_EQ(m.size.width, 100) << mode;
    }
    // Wrapping modes limited to one line keep the first wrapped line, which ends at a word.
    const zovo::TextMeasurement firstLine = zovo::measureText(kMessage, font, 100, 1, NSLineBreakByWordWrapping);
    EXPECT_EQ(firstLine.lines, 1);
    EXPECT_LE(firstLine.size.width, 100);
    EXPECT_GT(natural, 300);

    const zovo::TextMeasurement oneOfTwo = zovo::measureText("short\nthe second line is longer", font, 0, 1, NSLineBreakByTruncatingTail);
    EXPECT_EQ(oneOfTwo.lines, 1);
    EXPECT_EQ(oneOfTwo.size.width, zovo::measureText("short", font, 0, 1, NSLineBreakByTruncatingTail).size.width);
}

TEST(TextLayout, LongWordsBreakBetweenCharactersAndCharWrappingFillsLines)
{
    const char* word = "Supercalifragilisticexpialidocious";
    const zovo::TextMeasurement m = wrapped(word, 50);
    EXPECT_GT(m.lines, 1);
    EXPECT_LE(m.size.width, 50);

    // Words move to the next line whole; characters do not, so char wrapping needs fewer lines
    // for text whose words do not fit the leftover space.
    const char* words = "aaaa bbbbbbbbbbbbbbbb cccccccccccccccc dddddddddddddddd";
    const zovo::TextMeasurement byWord = wrapped(words, 90);
    const zovo::TextMeasurement byChar = zovo::measureText(words, systemFont(12), 90, 0, NSLineBreakByCharWrapping);
    EXPECT_LT(byChar.lines, byWord.lines);
}

TEST(TextLayout, TrailingSpaceAtAWrapDoesNotCount)
{
    const zovo::FontDescriptor font = systemFont(12);
    const double word = zovo::measureText("delivered", font, 0, 1, NSLineBreakByClipping).size.width;
    const double wider = zovo::measureText("delivered   ", font, 0, 1, NSLineBreakByClipping).size.width;
    EXPECT_EQ(wider, word);
    // The space at which the line wraps stays on the first line without widening it.
    const zovo::TextMeasurement m = zovo::measureText("delivered now", font, word + 4, 0, NSLineBreakByWordWrapping);
    EXPECT_EQ(m.lines, 2);
    EXPECT_EQ(m.size.width, word);
}

TEST(TextLayout, EmptyTextMeasuresZero)
{
    for (double width : {0.0, 189.0}) {
        const zovo::TextMeasurement m = wrapped("", width);
        EXPECT_EQ(m.size, CGSizeMake(0, 0));
        EXPECT_EQ(m.lines, 0);
    }
}

TEST(TextLayout, UntrustedTextAndArgumentsNeverCrash)
{
    EXPECT_EQ(zovo::sanitizeText("a\xff" "b"), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(zovo::sanitizeText("a\0b"s), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(zovo::sanitizeText("\xE2\x82"), "\xEF\xBF\xBD\xEF\xBF\xBD"); // cut short: one per byte
    EXPECT_EQ(zovo::sanitizeText("\xED\xA0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"); // an encoded surrogate
    EXPECT_EQ(zovo::sanitizeText(std::string(20000, 'x')).size(), zovo::kMaxLaidOutCodePoints);
    std::string accents;
    for (int i = 0; i < 20000; ++i) accents += "\xC3\xA9";
    EXPECT_EQ(zovo::sanitizeText(accents).size(), 2 * zovo::kMaxLaidOutCodePoints); // cut between characters

    const std::vector<std::string> hostile = {"\xff\xfe\xfd"s, "\0\0\0"s, "\xC0\xAF"s, "\xF4\x90\x80\x80"s, std::string(1 << 20, 'W'),
                                              std::string(100000, '\n'), "\xE2\x80\xAE" "reversed" "\xE2\x80\xAC"s};
    for (const std::string& text : hostile) {
        const zovo::TextMeasurement m = zovo::measureText(text, systemFont(12), 189, 0, NSLineBreakByWordWrapping);
        EXPECT_TRUE(std::isfinite(m.size.width) && std::isfinite(m.size.height));
        EXPECT_GT(m.size.height, 0);
        EXPECT_LE(m.size.width, 189);
    }
    const double nan = std::nan("");
    EXPECT_EQ(zovo::measureText(kMessage, systemFont(12), nan, 0, NSLineBreakByWordWrapping).lines, 1); // not a limit
    EXPECT_EQ(zovo::measureText(kMessage, systemFont(12), -50, 0, NSLineBreakByWordWrapping).lines, 1);
    EXPECT_GT(zovo::measureText(kMessage, systemFont(nan), 189, 0, NSLineBreakByWordWrapping).size.height, 0);
    EXPECT_EQ(zovo::measureText(kMessage, systemFont(12), 100, 1, static_cast<NSLineBreakMode>(99)).size,
              zovo::measureText(kMessage, systemFont(12), 100, 1, NSLineBreakByTruncatingTail).size);
}

// ---- Fonts --------------------------------------------------------------------------------

TEST(TextLayout, SystemFontIsInterWhereInstalledElseDejaVuSans)
{
    EXPECT_EQ(zovo::chooseSystemFontFamily({"DejaVu Sans", "Inter", "Noto Serif"}), "Inter");
    EXPECT_EQ(zovo::chooseSystemFontFamily({"inter"}), "Inter");
    EXPECT_EQ(zovo::chooseSystemFontFamily({"DejaVu Sans", "Inter Display"}), "DejaVu Sans");
    EXPECT_EQ(zovo::chooseSystemFontFamily({}), "DejaVu Sans");

    const std::vector<std::string> installed = zovo::installedFontFamilies();
    EXPECT_TRUE(std::is_sorted(installed.begin(), installed.end()));
    EXPECT_EQ(zovo::systemFontFamily(), zovo::chooseSystemFontFamily(installed));
}

class Font : public UIKitFixture {};

TEST_F(Font, SystemFontsThroughMessages)
{
    objc::Class cls = objc::objc_getClass("UIFont");
    Id regular = objc::send<Id>(cls, "systemFontOfSize:", 12.0);
    Id bold = objc::send<Id>(cls, "boldSystemFontOfSize:", 12.0);
    EXPECT_EQ(objc::send<double>(regular, "pointSize"), 12.0);
    EXPECT_EQ(textOf(objc::send<Id>(regular, "fontName")), zovo::systemFontFamily());
    EXPECT_EQ(textOf(objc::send<Id>(bold, "fontName")), zovo::systemFontFamily() + " Bold");
    EXPECT_EQ(textOf(objc::send<Id>(bold, "familyName")), zovo::systemFontFamily());
    Id larger = objc::send<Id>(bold, "fontWithSize:", 20.0);
    EXPECT_EQ(objc::send<double>(larger, "pointSize"), 20.0);
    EXPECT_TRUE(objc::cast<UIFont>(larger)->isBold());

    const auto* b = objc::cast<UIFont>(bold);
    const auto* r = objc::cast<UIFont>(regular);
    EXPECT_GT(zovo::measureText("Delivered", b->descriptor(), 0, 1, NSLineBreakByClipping).size.width,
              zovo::measureText("Delivered", r->descriptor(), 0, 1, NSLineBreakByClipping).size.width);
}

TEST_F(Font, MetricsHaveThePlatformsSignsAndScaleWithSize)
{
    auto small = UIFont::systemFontOfSize(12);
    auto large = UIFont::systemFontOfSize(24);
    EXPECT_GT(small->ascender(), 0);
    EXPECT_LT(small->descender(), 0);
    EXPECT_GE(small->lineHeight(), small->ascender() - small->descender() - 0.01);
    EXPECT_NEAR(large->lineHeight(), 2 * small->lineHeight(), 0.1);
    EXPECT_EQ(objc::send<double>(small, "lineHeight"), small->lineHeight());
}

TEST_F(Font, UnusableSizesFallBackOrClamp)
{
    for (double size : {0.0, -3.0, std::nan(""), HUGE_VAL}) EXPECT_EQ(UIFont::systemFontOfSize(size)->pointSize(), UIFont::kDefaultPointSize) << size;
    EXPECT_EQ(UIFont::systemFontOfSize(1e9)->pointSize(), zovo::kMaxFontSize);
    // A font made by the runtime's alloc alone is still a usable font.
    Id bare = objc::send<Id>(objc::objc_getClass("UIFont"), "alloc");
    EXPECT_EQ(objc::send<double>(bare, "pointSize"), UIFont::kDefaultPointSize);
    EXPECT_GT(objc::send<double>(bare, "lineHeight"), 0);
}

// ---- Drawing ------------------------------------------------------------------------------

struct Bitmap {
    static constexpr int kWidth = 120;
    static constexpr int kHeight = 40;
    std::vector<std::uint32_t> pixels = std::vector<std::uint32_t>(kWidth * kHeight, 0);

    void draw(const char* text, const zovo::TextStyle& style, CGRect rect)
    {
        zovo::drawTextIntoBitmap(reinterpret_cast<std::uint8_t*>(pixels.data()), kWidth, kHeight, kWidth * 4, 1.0, text, style, rect);
    }
    std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y * kWidth + x)]; }
    // Columns with any ink, as [first, last]; {-1, -1} when blank.
    std::pair<int, int> inkColumns() const
    {
        int first = -1, last = -1;
        for (int x = 0; x < kWidth; ++x)
            for (int y = 0; y < kHeight; ++y)
                if (at(x, y) != 0) {
                    if (first < 0) first = x;
                    last = x;
                }
        return {first, last};
    }
};

TEST(TextLayout, DrawingStaysInsideTheRectInTheTextColour)
{
    zovo::TextStyle style;
    style.font = systemFont(14);
    style.rgba[0] = 1; // opaque red
    style.rgba[1] = 0;
    style.rgba[2] = 0;
    style.numberOfLines = 0;
    style.lineBreakMode = NSLineBreakByWordWrapping;
    Bitmap bitmap;
    const CGRect rect = CGRectMake(10, 8, 60, 20);
    bitmap.draw(kMessage, style, rect); // far more text than fits: clipped
    bool inked = false;
    for (int y = 0; y < Bitmap::kHeight; ++y)
        for (int x = 0; x < Bitmap::kWidth; ++x) {
            const std::uint32_t p = bitmap.at(x, y);
            if (!p) continue;
            inked = true;
            EXPECT_TRUE(CGRectContainsPoint(rect, CGPointMake(x, y))) << x << "," << y;
            EXPECT_EQ(p & 0x0000FFFF, 0u) << "no green or blue in red text";
        }
    EXPECT_TRUE(inked);
}

TEST(TextLayout, DrawingAlignsLinesInTheRect)
{
    zovo::TextStyle style;
    style.font = systemFont(14);
    const CGRect rect = CGRectMake(0, 0, Bitmap::kWidth, Bitmap::kHeight);
    Bitmap left, centre, right;
    left.draw("Hi", style, rect);
    style.alignment = NSTextAlignmentCenter;
    centre.draw("Hi", style, rect);
    style.alignment = NSTextAlignmentRight;
    right.draw("Hi", style, rect);
    const auto [l0, l1] = left.inkColumns();
    const auto [c0, c1] = centre.inkColumns();
    const auto [r0, r1] = right.inkColumns();
    ASSERT_GE(l0, 0);
    EXPECT_LT(l0, 4);
    EXPECT_GT(r1, Bitmap::kWidth - 5);
    EXPECT_NEAR((c0 + c1) / 2.0, Bitmap::kWidth / 2.0, 3);
    EXPECT_NEAR(l1 - l0, c1 - c0, 1); // glyphs sit between pixels, so edges may round apart
}

TEST(TextLayout, DrawingRefusesBadTargets)
{
    zovo::TextStyle style;
    Bitmap bitmap;
    auto* bytes = reinterpret_cast<std::uint8_t*>(bitmap.pixels.data());
    zovo::drawTextIntoBitmap(nullptr, 10, 10, 40, 1, "x", style, CGRectMake(0, 0, 10, 10));
    zovo::drawTextIntoBitmap(bytes, Bitmap::kWidth, Bitmap::kHeight, 8, 1, "x", style, CGRectMake(0, 0, 10, 10)); // rows too short
    zovo::drawTextIntoBitmap(bytes, Bitmap::kWidth, Bitmap::kHeight, Bitmap::kWidth * 4, std::nan(""), "x", style, CGRectMake(0, 0, 10, 10));
    zovo::drawTextIntoBitmap(bytes, Bitmap::kWidth, Bitmap::kHeight, Bitmap::kWidth * 4, 1, "x", style, CGRectMake(0, 0, HUGE_VAL, 10));
    zovo::drawText(nullptr, "x", style, CGRectMake(0, 0, 10, 10));
    EXPECT_EQ(bitmap.inkColumns().first, -1);
}

} // namespace
