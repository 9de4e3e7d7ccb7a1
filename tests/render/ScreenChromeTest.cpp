#include "render/CairoPainter.h"
#include "render/Frame.h"
#include "render/ScreenChrome.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

const zovo::DeviceProfile& iPhone12() { return *zovo::findDeviceProfile("iPhone13,2"); }

// The notch and the island, in both orientations, are held by the reference images of three phones.
TEST(ScreenChrome, NotchStaysCentredOnAResizedScreenAndAPhoneWithoutOneHasNone)
{
    using enum zovo::ScreenOrientation;
    EXPECT_EQ(zovo::chromeLayout(iPhone12(), CGSizeMake(500, 900), Portrait).notch, CGRectMake(145, 0, 210, 32));
    EXPECT_TRUE(zovo::notchPath(zovo::chromeLayout(*zovo::findDeviceProfile("iPhone12,8"), CGSizeMake(375, 667), Portrait)).elements.empty());
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
    // The dusk wallpaper is held by the reference images.
    const zovo::Frame dark = paint({zovo::Wallpaper::Kind::Dark}), light = paint({zovo::Wallpaper::Kind::Light});
    EXPECT_LT(brightness(dark, 20, 80), 40);
    EXPECT_GT(brightness(light, 20, 2), 230);
    std::vector<std::uint8_t> red(4 * 4 * 4);
    for (std::size_t i = 0; i < red.size(); i += 4) red[i] = red[i + 3] = 255;
    const zovo::Frame image = paint({zovo::Wallpaper::Kind::Image, ::CGImage::create(4, 4, zovo::PixelFormat{}, red)});
    EXPECT_EQ(image.pixelAt(38, 83), (zovo::RGBA8{255, 0, 0, 255})) << "the image reaches the far corner";
}

} // namespace
