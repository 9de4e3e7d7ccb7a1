#include "TestFolder.h"
#include "UIKitFixture.h"

#include "foundation/NSString.h"
#include "objc/Message.h"
#include "uikit/PinnedFonts.h"
#include "uikit/TextLayout.h"
#include "uikit/UIFont.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace std::string_literals;
using objc::StrongId;

namespace {

const char* const kMessage = "Your package has been delivered to the front door. Tap to see the photo the courier left.";

zovo::FontDescriptor systemFont(double size = 12) { return {zovo::systemFontFamily(), size}; }

zovo::TextMeasurement measure(std::string_view text, double width, std::int64_t lines = 0, NSLineBreakMode mode = NSLineBreakByWordWrapping)
{
    return zovo::measureText(text, systemFont(), width, lines, mode);
}

// ---- Measurement --------------------------------------------------------------------------

TEST(TextLayout, WrappingGivesMoreLinesAtNarrowerWidthsInWholePointsAndBreaksLongWordsBetweenCharacters)
{
    const double lineHeight = zovo::measureFont(systemFont()).lineHeight;
    int previousLines = 0;
    for (double width : {1000.0, 189.0, 60.0}) {
        const zovo::TextMeasurement m = measure(kMessage, width);
        EXPECT_LE(m.size.width, width) << width;
        EXPECT_GT(m.lines, previousLines) << width;
        EXPECT_EQ(m.size.height, std::ceil(m.lines * lineHeight)) << width;
        EXPECT_EQ(m.size.width, std::ceil(m.size.width)) << width;
        previousLines = m.lines;
    }
    EXPECT_EQ(measure(kMessage, 1000).lines, 1);
    EXPECT_EQ(measure("", 189).size, CGSizeMake(0, 0));
    EXPECT_EQ(measure("", 189).lines, 0);

    // Long words break between characters, and trailing space does not count.
    const zovo::TextMeasurement m = measure("Supercalifragilisticexpialidocious", 50);
    EXPECT_GT(m.lines, 1);
    EXPECT_LE(m.size.width, 50);
    const double word = measure("delivered", 0, 1).size.width;
    EXPECT_EQ(measure("delivered   ", 0, 1).size.width, word);
    EXPECT_EQ(measure("   ", 0, 1).size.width, 0);
    // A word of up to 256 characters still wraps by word: it starts on a line of its own.
    const std::string longest(256, 'a');
    EXPECT_EQ(measure("x " + longest, 100).lines, measure(longest, 100).lines + 1);
    // The space at which the line wraps stays on the first line without widening it.
    const zovo::TextMeasurement wrapped = measure("delivered now", word + 4);
    EXPECT_EQ(wrapped.lines, 2);
    EXPECT_EQ(wrapped.size.width, word);
}

TEST(TextLayout, LineLimitKeepsTheFirstLinesAndSingleLinesCutInsteadOfWrapping)
{
    const zovo::TextMeasurement all = measure(kMessage, 120);
    ASSERT_GT(all.lines, 2);
    EXPECT_EQ(measure(kMessage, 120, 2).size.height, measure("first\nsecond", 0).size.height);
    EXPECT_EQ(measure(kMessage, 120, -3).lines, all.lines) << "a negative limit is no limit";
    for (NSLineBreakMode mode : {NSLineBreakByClipping, NSLineBreakByTruncatingTail}) {
        const zovo::TextMeasurement m = measure(kMessage, 100, 1, mode);
        EXPECT_EQ(m.lines, 1) << mode;
        EXPECT_EQ(m.size.width, 100) << mode;
    }
    // Wrapping modes limited to one line keep the first wrapped line, which ends at a word.
    const zovo::TextMeasurement firstLine = measure(kMessage, 100, 1);
    EXPECT_EQ(firstLine.lines, 1);
    EXPECT_LT(firstLine.size.width, 100);

    const zovo::TextMeasurement oneOfTwo = measure("short\nthe second line is longer", 0, 1, NSLineBreakByTruncatingTail);
    EXPECT_EQ(oneOfTwo.lines, 1);
    EXPECT_EQ(oneOfTwo.size.width, measure("short", 0, 1).size.width);
}

TEST(TextLayout, UntrustedTextAndArgumentsNeverCrash)
{
    EXPECT_EQ(zovo::sanitizeText("a\xff" "b"), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(zovo::sanitizeText("a\0b"s), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(zovo::sanitizeText("\xE2\x82"), "\xEF\xBF\xBD\xEF\xBF\xBD"); // cut short: one per byte
    EXPECT_EQ(zovo::sanitizeText("\xED\xA0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"); // an encoded surrogate
    std::string accents;
    for (int i = 0; i < 20000; ++i) accents += "\xC3\xA9";
    EXPECT_EQ(zovo::sanitizeText(accents).size(), 2 * zovo::kMaxLaidOutCodePoints); // cut between characters

    for (const std::string& text : {"\xff\xfe\xfd"s, "\xC0\xAF"s, "\xF4\x90\x80\x80"s, std::string(1 << 20, 'W'), std::string(100000, '\n'),
                                    "\xE2\x80\xAE" "reversed" "\xE2\x80\xAC"s}) {
        const zovo::TextMeasurement m = measure(text, 189);
        EXPECT_TRUE(std::isfinite(m.size.width) && std::isfinite(m.size.height));
        EXPECT_GT(m.size.height, 0);
        EXPECT_LE(m.size.width, 189);
    }
    const double nan = std::nan("");
    EXPECT_EQ(measure(kMessage, nan).lines, 1); // not a limit
    EXPECT_EQ(measure(kMessage, -50).lines, 1);
    EXPECT_GT(zovo::measureText(kMessage, systemFont(nan), 189, 0, NSLineBreakByWordWrapping).size.height, 0);
    EXPECT_EQ(measure(kMessage, 100, 1, static_cast<NSLineBreakMode>(99)).size, measure(kMessage, 100, 1, NSLineBreakByTruncatingTail).size);
}

// ---- Fonts --------------------------------------------------------------------------------

TEST(TextLayout, OnlyThePinnedFontsAreSeenAndAMissingOneIsNamed)
{
    ASSERT_TRUE(zovo::checkPinnedFonts()) << zovo::checkPinnedFonts().error();
    // With Pango's generic names (Sans, Serif, Monospace, System-ui), which alias the same fonts.
    const std::vector<std::string> pinned = {"DejaVu Sans", "Inter", "Monospace", "Noto Color Emoji", "Noto Sans", "Noto Sans Arabic UI", "Noto Sans CJK HK",
                                             "Noto Sans CJK JP", "Noto Sans CJK KR", "Noto Sans CJK SC", "Noto Sans CJK TC",
                                             "Noto Sans Devanagari UI", "Noto Sans Hebrew", "Noto Sans Mono CJK HK", "Noto Sans Mono CJK JP",
                                             "Noto Sans Mono CJK KR", "Noto Sans Mono CJK SC", "Noto Sans Mono CJK TC", "Noto Sans Thai UI",
                                             "Sans", "Serif", "System-ui"};
    EXPECT_EQ(zovo::installedFontFamilies(), pinned);
    EXPECT_EQ(zovo::systemFontFamily(), "Inter");

    zovo::TestFolder folder;
    const std::filesystem::path config = folder.path() / "fonts.conf";
    std::ofstream(config) << "<fontconfig><selectfont><acceptfont><glob>/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf</glob>"
                             "<glob>/nowhere/Gone.ttf</glob></acceptfont></selectfont></fontconfig>";
    const zovo::ErrorOr<void*> loaded = zovo::loadFontConfig(config);
    ASSERT_FALSE(loaded);
    EXPECT_NE(loaded.error().find("font file /nowhere/Gone.ttf is missing"), std::string::npos) << loaded.error();
    EXPECT_FALSE(zovo::loadFontConfig(folder.path() / "absent.conf"));
}

using Font = UIKitFixture;

TEST_F(Font, BoldFontsThroughMessagesAreNamedAndMeasuredAsBold)
{
    // Sizes from outside (a scenario, a message) that no font can have fall back or clamp.
    for (double size : {0.0, -3.0, std::nan(""), HUGE_VAL}) EXPECT_EQ(UIFont::systemFontOfSize(size)->pointSize(), UIFont::kDefaultPointSize) << size;
    EXPECT_EQ(UIFont::systemFontOfSize(1e9)->pointSize(), 4096.0);
    objc::Class cls = objc::objc_getClass("UIFont");
    StrongId regular = objc::send<StrongId>(cls, "systemFontOfSize:", 12.0);
    StrongId bold = objc::send<StrongId>(cls, "boldSystemFontOfSize:", 12.0);
    EXPECT_EQ(textOf(objc::send<StrongId>(regular, "fontName").get()), zovo::systemFontFamily());
    EXPECT_EQ(textOf(objc::send<StrongId>(bold, "fontName").get()), zovo::systemFontFamily() + " Bold");
    EXPECT_EQ(textOf(objc::send<StrongId>(bold, "familyName").get()), zovo::systemFontFamily());
    EXPECT_GT(zovo::measureText("Delivered", objc::cast<UIFont>(bold)->descriptor(), 0, 1, NSLineBreakByClipping).size.width,
              zovo::measureText("Delivered", objc::cast<UIFont>(regular)->descriptor(), 0, 1, NSLineBreakByClipping).size.width);
}

// ---- Drawing ------------------------------------------------------------------------------

struct Bitmap {
    static constexpr int kWidth = 120;
    static constexpr int kHeight = 40;
    std::vector<std::uint32_t> pixels = std::vector<std::uint32_t>(kWidth * kHeight, 0);

    void draw(const char* text, const zovo::TextStyle& style, CGRect rect, int bytesPerRow = kWidth * 4, double scale = 1)
    {
        zovo::drawTextIntoBitmap(reinterpret_cast<std::uint8_t*>(pixels.data()), kWidth, kHeight, bytesPerRow, scale, text, style, rect);
    }
    // The smallest rectangle holding every inked pixel; zero-sized when nothing is inked.
    CGRect ink() const
    {
        int x0 = kWidth, y0 = kHeight, x1 = -1, y1 = -1;
        for (int i = 0; i < kWidth * kHeight; ++i)
            if (pixels[static_cast<std::size_t>(i)] != 0) {
                x0 = std::min(x0, i % kWidth), x1 = std::max(x1, i % kWidth);
                y0 = std::min(y0, i / kWidth), y1 = std::max(y1, i / kWidth);
            }
        return CGRectMake(x0, y0, std::max(0, x1 - x0 + 1), std::max(0, y1 - y0 + 1));
    }
};

TEST(TextLayout, DrawingStaysInsideTheRectInTheTextColourFollowsTheAlignmentAndRefusesBadTargets)
{
    zovo::TextStyle style{.font = systemFont(), .rgba = {1, 0, 0, 1}, .lineBreakMode = NSLineBreakByWordWrapping, .numberOfLines = 0};
    Bitmap clipped;
    const CGRect rect = CGRectMake(10, 8, 60, 20);
    clipped.draw(kMessage, style, rect); // far more text than fits
    const CGRect ink = clipped.ink();
    ASSERT_GT(ink.size.width, 0);
    EXPECT_TRUE(ink.origin.x >= 10 && ink.origin.y >= 8 && CGRectGetMaxX(ink) <= 70 && CGRectGetMaxY(ink) <= 28) << ink.origin.x << "," << ink.origin.y;
    EXPECT_TRUE(std::all_of(clipped.pixels.begin(), clipped.pixels.end(), [](std::uint32_t p) { return (p & 0x0000FFFF) == 0; }))
        << "no green or blue in red text";

    auto inkFor = [&](NSTextAlignment alignment) {
        Bitmap bitmap;
        style.alignment = alignment;
        bitmap.draw("Hi", style, CGRectMake(0, 0, Bitmap::kWidth, Bitmap::kHeight));
        return bitmap.ink();
    };
    const CGRect left = inkFor(NSTextAlignmentLeft), centre = inkFor(NSTextAlignmentCenter);
    EXPECT_LT(left.origin.x, 4);
    EXPECT_GT(CGRectGetMaxX(inkFor(NSTextAlignmentRight)), Bitmap::kWidth - 5);
    EXPECT_NEAR(CGRectGetMidX(centre), Bitmap::kWidth / 2.0, 3);
    EXPECT_NEAR(left.size.width, centre.size.width, 1); // glyphs sit between pixels, so edges may round apart

    // Natural alignment follows the paragraph's first letter: direction controls are not letters,
    // and what an isolate holds does not count.
    style.alignment = NSTextAlignmentNatural;
    for (const auto& [text, fromLeft] : {std::pair{"\u202Eevil\u202C.exe", true}, {"\u2067\u05E9\u05DC\u05D5\u05DD\u2069 hi", true},
                                         {"\u202A\u05E9\u05DC\u05D5\u05DD", false}, {"\u05E9\u05DC\u05D5\u05DD", false}}) {
        Bitmap bitmap;
        bitmap.draw(text, style, CGRectMake(0, 0, Bitmap::kWidth, Bitmap::kHeight));
        EXPECT_EQ(bitmap.ink().origin.x < 4, fromLeft) << text;
    }

    // Bad targets are refused.
    const zovo::TextStyle plain{.font = systemFont()};
    const CGRect small = CGRectMake(0, 0, 10, 10);
    Bitmap untouched;
    untouched.draw("x", plain, small, 8); // rows too short
    untouched.draw("x", plain, small, Bitmap::kWidth * 4, std::nan(""));
    untouched.draw("x", plain, CGRectMake(0, 0, HUGE_VAL, 10));
    zovo::drawTextIntoBitmap(nullptr, 10, 10, 40, 1, "x", plain, small);
    zovo::drawText(nullptr, "x", plain, small);
    EXPECT_EQ(untouched.ink().size.width, 0);

    // One pixel wide or high is still a target.
    std::vector<std::uint32_t> column(Bitmap::kHeight, 0), row(Bitmap::kWidth, 0);
    zovo::drawTextIntoBitmap(reinterpret_cast<std::uint8_t*>(column.data()), 1, Bitmap::kHeight, 4, 1, "W", plain, CGRectMake(0, 0, 10, Bitmap::kHeight));
    zovo::drawTextIntoBitmap(reinterpret_cast<std::uint8_t*>(row.data()), Bitmap::kWidth, 1, Bitmap::kWidth * 4, 1, "W", plain, CGRectMake(0, -20, 40, 40));
    for (const auto& pixels : {column, row}) EXPECT_TRUE(std::any_of(pixels.begin(), pixels.end(), [](std::uint32_t p) { return p != 0; }));
}

// A label draws only the lines its height holds, never the top of one more; under tail
// truncation the last of them ends in an ellipsis when text is cut after it, whether the cut
// falls inside a paragraph or at an explicit line break.
TEST(TextLayout, DrawingShowsWholeLinesAndEndsCutTextInAnEllipsis)
{
    const double line = zovo::measureFont(systemFont()).lineHeight;
    const CGRect rect = CGRectMake(0, 0, Bitmap::kWidth, 2.5 * line);
    zovo::TextStyle wrap{.font = systemFont(), .rgba = {1, 1, 1, 1}, .lineBreakMode = NSLineBreakByWordWrapping, .numberOfLines = 0};
    Bitmap wrapped;
    wrapped.draw(kMessage, wrap, rect);
    const double top = 0.25 * line; // two lines, centred
    EXPECT_LE(CGRectGetMaxY(wrapped.ink()), top + 2 * line + 0.5) << "a third line was drawn in part";

    zovo::TextStyle tail = wrap;
    tail.lineBreakMode = NSLineBreakByTruncatingTail;
    Bitmap truncated;
    truncated.draw(kMessage, tail, rect);
    EXPECT_LE(CGRectGetMaxY(truncated.ink()), top + 2 * line + 0.5);
    auto band = [&](const Bitmap& b, double from, double to) {
        return std::vector<std::uint32_t>(b.pixels.begin() + static_cast<long>(from) * Bitmap::kWidth, b.pixels.begin() + static_cast<long>(to) * Bitmap::kWidth);
    };
    EXPECT_EQ(band(wrapped, top, top + line - 1), band(truncated, top, top + line - 1)) << "the first line is the same";
    EXPECT_NE(band(wrapped, top + line, top + 2 * line), band(truncated, top + line, top + 2 * line)) << "the second ends in an ellipsis";

    // Cut at an explicit line break: the second line ends in an ellipsis although it fits.
    tail.numberOfLines = 2;
    auto secondLineRight = [&](const char* text) {
        Bitmap b;
        b.draw(text, tail, CGRectMake(0, 0, Bitmap::kWidth, Bitmap::kHeight));
        const double start = (Bitmap::kHeight - 2 * line) / 2 + line;
        int right = -1;
        for (int y = static_cast<int>(start); y < static_cast<int>(start + line) && y < Bitmap::kHeight; ++y)
            for (int x = 0; x < Bitmap::kWidth; ++x)
                if (b.pixels[static_cast<std::size_t>(y * Bitmap::kWidth + x)] != 0) right = std::max(right, x);
        return right;
    };
    EXPECT_GT(secondLineRight("Lunch\nat one\nor two"), secondLineRight("Lunch\nat one") + 4);
}

} // namespace
