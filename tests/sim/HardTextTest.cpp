#include "sim/GalleryShot.h"
#include "sim/HardText.h"
#include "uikit/TextLayout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

bool contains(CGRect outer, CGRect inner)
{
    constexpr double slack = 0.5; // layout rounds to half points
    return inner.origin.x >= outer.origin.x - slack && inner.origin.y >= outer.origin.y - slack &&
           inner.origin.x + inner.size.width <= outer.origin.x + outer.size.width + slack &&
           inner.origin.y + inner.size.height <= outer.origin.y + outer.size.height + slack;
}

bool inside(CGRect r, int x, int y) { return x >= r.origin.x && y >= r.origin.y && x < r.origin.x + r.size.width && y < r.origin.y + r.size.height; }

// Pixels of two screens at one pixel a point that differ outside both banners (window and body,
// which hangs below the window).
int differencesOutside(const zovo::GalleryShot& a, const zovo::GalleryShot& b)
{
    int count = 0;
    for (int y = 0; y < a.frame.height(); ++y) {
        for (int x = 0; x < a.frame.width(); ++x) {
            const bool banner = inside(a.banner, x, y) || inside(a.body, x, y) || inside(b.banner, x, y) || inside(b.body, x, y);
            if (!banner && !(a.frame.pixelAt(x, y) == b.frame.pixelAt(x, y))) ++count;
        }
    }
    return count;
}

// Whether black text drawn on white shows any clearly coloured pixel, which only colour glyphs give.
bool drawsInColour(const std::string& text)
{
    constexpr int width = 600, height = 200;
    std::vector<std::uint32_t> pixels(width * height, 0xFFFFFFFFu);
    zovo::TextStyle style;
    style.font = {zovo::systemFontFamily(), 14};
    style.numberOfLines = 0;
    style.lineBreakMode = NSLineBreakByWordWrapping;
    zovo::drawTextIntoBitmap(reinterpret_cast<std::uint8_t*>(pixels.data()), width, height, width * 4, 2.0, text, style, CGRectMake(0, 0, 300, 100));
    for (std::uint32_t p : pixels) {
        const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
        if (std::abs(r - g) > 60 || std::abs(g - b) > 60 || std::abs(r - b) > 60) return true;
    }
    return false;
}

TEST(HardText, EverySampleDrawsWithinItsBannerWithRealGlyphsAndColourEmoji)
{
    const zovo::DeviceProfile* device = zovo::findDeviceProfile("iPhone13,2");
    ASSERT_NE(device, nullptr);
    const zovo::ErrorOr<zovo::GalleryShot> plain = zovo::renderGalleryShot({.device = device, .title = "Anna", .message = "Lunch?", .scale = 1});
    ASSERT_TRUE(plain) << plain.error();
    ASSERT_GE(zovo::hardTextSamples().size(), 14u);
    for (const zovo::HardTextSample& sample : zovo::hardTextSamples()) {
        SCOPED_TRACE(sample.name);
        const zovo::ErrorOr<zovo::GalleryShot> shot =
            zovo::renderGalleryShot({.device = device, .title = sample.title, .message = sample.message, .scale = 1});
        ASSERT_TRUE(shot) << shot.error();
        ASSERT_GE(shot->labels.size(), 2u);
        for (const CGRect& label : shot->labels) {
            EXPECT_TRUE(std::isfinite(label.size.width) && std::isfinite(label.size.height));
            EXPECT_GE(label.size.width, 0);
            EXPECT_GE(label.size.height, 0);
            EXPECT_TRUE(contains(shot->banner, label)) << label.origin.x << "," << label.origin.y << " " << label.size.width << "x" << label.size.height;
        }
        EXPECT_GT(shot->labels[1].size.height, 0); // every sample has a message
        // Marks stacked high and direction controls may not draw past the banner.
        EXPECT_EQ(differencesOutside(*shot, *plain), 0);

        const zovo::FontDescriptor font{zovo::systemFontFamily(), 13};
        for (const std::string* text : {&sample.title, &sample.message}) {
            int wrapped = 0, unwrapped = 0;
            for (const zovo::TextRun& run : zovo::textRuns(*text, font, 150, NSLineBreakByWordWrapping)) {
                EXPECT_EQ(run.missingGlyphs, 0) << run.family;
                wrapped += run.glyphs;
            }
            for (const zovo::TextRun& run : zovo::textRuns(*text, font, 0, NSLineBreakByWordWrapping)) unwrapped += run.glyphs;
            EXPECT_EQ(wrapped, unwrapped) << "a glyph (a hyphen) was added where a line was broken";
        }
        if (sample.emoji) {
            EXPECT_TRUE(drawsInColour(sample.title + " " + sample.message.substr(0, 200)));
        }
    }
}

} // namespace
