#include "render/CairoPainter.h"
#include "render/Frame.h"
#include "render/ScreenChrome.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

const zovo::DeviceProfile& iPhone12() { return *zovo::findDeviceProfile("iPhone13,2"); }

TEST(ScreenChrome, PortraitFollowsTheProfileWithItemsEitherSideOfTheNotch)
{
    const zovo::ChromeLayout layout = zovo::chromeLayout(iPhone12(), CGSizeMake(390, 844), zovo::ScreenOrientation::Portrait);
    EXPECT_EQ(layout.statusBar, CGRectMake(0, 0, 390, 47));
    EXPECT_EQ(layout.notch, CGRectMake(90, 0, 210, 32));
    EXPECT_EQ(CGRectGetMaxX(layout.timeArea), 90);
    EXPECT_EQ(CGRectGetMinX(layout.glyphArea), 300);
    EXPECT_EQ(CGRectGetMaxX(layout.glyphArea), 390);
    EXPECT_LT(CGRectGetMaxY(layout.timeArea), 47);
}

TEST(ScreenChrome, LandscapeHidesTheStatusBarAndPutsTheNotchOnTheLeftEdge)
{
    const zovo::ChromeLayout layout = zovo::chromeLayout(iPhone12(), CGSizeMake(844, 390), zovo::ScreenOrientation::Landscape);
    EXPECT_EQ(layout.statusBar, CGRectZero);
    EXPECT_EQ(layout.notch, CGRectMake(0, 90, 32, 210));
    const CGRect outline = zovo::notchPath(layout).boundingBox();
    EXPECT_EQ(outline.origin.x, 0);
    EXPECT_EQ(CGRectGetMaxX(outline), 32);
    // The fillets where it meets the edge reach a few points beyond the cut-out, no more.
    EXPECT_GE(outline.origin.y, 90 - 6);
    EXPECT_LE(CGRectGetMaxY(outline), 300 + 6);
}

TEST(ScreenChrome, NotchFollowsTheScreenWidthNotTheProfiles)
{
    // A screen resized away from the profile keeps the notch in its middle.
    const zovo::ChromeLayout layout = zovo::chromeLayout(iPhone12(), CGSizeMake(500, 900), zovo::ScreenOrientation::Portrait);
    EXPECT_EQ(layout.notch, CGRectMake(145, 0, 210, 32));
}

TEST(ScreenChrome, DeviceWithoutNotchHasNoOutline)
{
    const zovo::ChromeLayout layout =
        zovo::chromeLayout(*zovo::findDeviceProfile("iPhone12,8"), CGSizeMake(375, 667), zovo::ScreenOrientation::Portrait);
    EXPECT_EQ(layout.notch, CGRectZero);
    EXPECT_TRUE(zovo::notchPath(layout).elements.empty());
    EXPECT_EQ(layout.statusBar.size.height, 20);
}

TEST(ScreenChrome, LowBatteryShowsRedAndOutOfRangeContentIsClamped)
{
    const zovo::ChromeLayout layout = zovo::chromeLayout(iPhone12(), CGSizeMake(390, 844), zovo::ScreenOrientation::Portrait);
    auto redPixels = [&](zovo::StatusBarContent content) {
        zovo::Frame frame(390, 47, 1.0);
        {
            zovo::CairoPainter painter(frame);
            painter.fillRect(CGRectMake(0, 0, 390, 47), {0, 0, 0, 1});
            zovo::paintStatusBar(painter, layout, content);
        }
        int count = 0;
        for (int y = 0; y < 47; ++y)
            for (int x = 300; x < 390; ++x)
                if (const zovo::RGBA8 p = frame.pixelAt(x, y); p.red > 200 && p.green < 100) ++count;
        return count;
    };
    EXPECT_EQ(redPixels({}), 0);
    EXPECT_GT(redPixels({.batteryLevel = 0.1}), 10);
    EXPECT_EQ(redPixels({.signalBars = 99, .batteryLevel = std::numeric_limits<double>::quiet_NaN()}), 0);
}

} // namespace
