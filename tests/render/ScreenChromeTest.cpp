#include "render/CairoPainter.h"
#include "render/Frame.h"
#include "render/ScreenChrome.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

const zovo::DeviceProfile& iPhone12() { return *zovo::findDeviceProfile("iPhone13,2"); }

TEST(ScreenChrome, NotchIsCentredOnTheScreenWithItemsEitherSideAndOnTheLeftEdgeInLandscape)
{
    using enum zovo::ScreenOrientation;
    zovo::ChromeLayout layout = zovo::chromeLayout(iPhone12(), CGSizeMake(390, 844), Portrait);
    EXPECT_EQ(layout.statusBar, CGRectMake(0, 0, 390, 47));
    EXPECT_EQ(layout.notch, CGRectMake(90, 0, 210, 32));
    EXPECT_LE(CGRectGetMaxX(layout.timeArea), 90);
    EXPECT_GE(CGRectGetMinX(layout.glyphArea), 300);
    EXPECT_EQ(zovo::chromeLayout(iPhone12(), CGSizeMake(500, 900), Portrait).notch, CGRectMake(145, 0, 210, 32)) << "a resized screen";
    EXPECT_TRUE(zovo::notchPath(zovo::chromeLayout(*zovo::findDeviceProfile("iPhone12,8"), CGSizeMake(375, 667), Portrait)).elements.empty());

    layout = zovo::chromeLayout(iPhone12(), CGSizeMake(844, 390), Landscape);
    EXPECT_EQ(layout.statusBar, CGRectZero);
    EXPECT_EQ(layout.notch, CGRectMake(0, 90, 32, 210));
    // The fillets where it meets the edge reach a few points beyond the cut-out, no more.
    const CGRect outline = zovo::notchPath(layout).boundingBox();
    EXPECT_EQ(outline.origin.x, 0);
    EXPECT_EQ(CGRectGetMaxX(outline), 32);
    EXPECT_GE(outline.origin.y, 90 - 6);
    EXPECT_LE(CGRectGetMaxY(outline), 300 + 6);
}

// The 14 Pro and the 15s have a pill apart from the top edge, with the items level with it.
TEST(ScreenChrome, IslandIsAPillBelowTheTopEdge)
{
    const zovo::DeviceProfile& pro = *zovo::findDeviceProfile("iPhone15,2");
    const zovo::ChromeLayout layout = zovo::chromeLayout(pro, CGSizeMake(393, 852), zovo::ScreenOrientation::Portrait);
    EXPECT_TRUE(layout.island);
    EXPECT_EQ(layout.notch, CGRectMake(133.5, 11, 126, 37));
    const CGPath path = zovo::notchPath(layout);
    ASSERT_TRUE(path.roundedRect);
    EXPECT_EQ(path.roundedRect->radii.width, 18.5) << "ends as round as the pill is tall";
    EXPECT_EQ(path.boundingBox().origin.y, 11) << "the screen shows above it";
    EXPECT_NEAR(CGRectGetMidY(layout.timeArea), 29.5, 0.01);
    EXPECT_LE(CGRectGetMaxX(layout.timeArea), 133.5);
    EXPECT_EQ(zovo::chromeLayout(pro, CGSizeMake(852, 393), zovo::ScreenOrientation::Landscape).notch, CGRectMake(11, 133.5, 37, 126));
}

TEST(ScreenChrome, LowBatteryShowsRedAndOutOfRangeContentIsClamped)
{
    const zovo::ChromeLayout layout = zovo::chromeLayout(iPhone12(), CGSizeMake(390, 844), zovo::ScreenOrientation::Portrait);
    auto redPixels = [&](zovo::StatusBarContent content) {
        zovo::Frame frame(390, 47, 1.0);
        {
            zovo::CairoPainter painter(frame);
            zovo::paintStatusBar(painter, layout, content);
        }
        int count = 0;
        for (int y = 0; y < 47; ++y)
            for (int x = 300; x < 390; ++x) count += frame.pixelAt(x, y).red > 200 && frame.pixelAt(x, y).green < 100;
        return count;
    };
    EXPECT_EQ(redPixels({}), 0);
    EXPECT_GT(redPixels({.batteryLevel = 0.1}), 10);
    EXPECT_EQ(redPixels({.signalBars = 99, .batteryLevel = std::numeric_limits<double>::quiet_NaN()}), 0);
}

TEST(ScreenChrome, WallpapersDarkLightAndAnImageFillTheScreen)
{
    auto paint = [](const zovo::Wallpaper& wallpaper) {
        zovo::Frame frame(39, 84, 1);
        zovo::CairoPainter painter(frame);
        zovo::paintWallpaper(painter, CGSizeMake(39, 84), wallpaper);
        return frame;
    };
    auto brightness = [](const zovo::Frame& f, int x, int y) {
        const zovo::RGBA8 p = f.pixelAt(x, y);
        return (p.red + p.green + p.blue) / 3;
    };
    const zovo::Frame dusk = paint({}), dark = paint({zovo::Wallpaper::Kind::Dark}), light = paint({zovo::Wallpaper::Kind::Light});
    EXPECT_LT(brightness(dark, 20, 80), 40);
    EXPECT_GT(brightness(light, 20, 2), 230);
    EXPECT_GT(brightness(dusk, 20, 80), brightness(dusk, 20, 2)) << "dusk glows at the bottom";
    std::vector<std::uint8_t> red(4 * 4 * 4);
    for (std::size_t i = 0; i < red.size(); i += 4) red[i] = red[i + 3] = 255;
    const zovo::Frame image = paint({zovo::Wallpaper::Kind::Image, ::CGImage::create(4, 4, zovo::PixelFormat{}, red)});
    EXPECT_EQ(image.pixelAt(38, 83), (zovo::RGBA8{255, 0, 0, 255})) << "the image reaches the far corner";
}

} // namespace
