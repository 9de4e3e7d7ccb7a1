#include "RenderFixture.h"

#include "render/ScreenRenderer.h"

#include <cstring>
#include <limits>
#include <stdexcept>
#include <utility>

namespace {

using Render = RenderFixture;

// How many of the top-left `width` x `height` pixels of a frame look white.
int whitePixels(const zovo::Frame& frame, int width, int height)
{
    int count = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (const zovo::RGBA8 p = frame.pixelAt(x, y); p.red > 200 && p.green > 200 && p.blue > 200) ++count;
    return count;
}

std::pair<int, int> sizeOf(const zovo::Frame& frame) { return {frame.width(), frame.height()}; }

// Whole-pixel scales in both orientations are held by the reference images.
TEST_F(Render, FrameOfAFractionalSizeIsRoundedUp)
{
    UIScreen::useDevice(*zovo::findDeviceProfile("iPhone12,1"));
    // A fractional size is rounded up (579.6 x 1254.4), partly covered last pixels painted too.
    const zovo::Frame odd = zovo::renderScreen({.scale = 1.4, .showWallpaper = false});
    EXPECT_EQ(sizeOf(odd), std::pair(580, 1255));
    EXPECT_TRUE(isColour(odd.pixelAt(579, 1254), 0, 0, 0));
}

TEST_F(Render, BadScaleOrSizeIsAnErrorNotACrash)
{
    EXPECT_THROW(zovo::renderScreen({.scale = -1}), std::invalid_argument);
    EXPECT_THROW(zovo::renderScreen({.scale = std::numeric_limits<double>::quiet_NaN()}), std::invalid_argument);
    EXPECT_THROW(zovo::renderScreen({.scale = 1000}), std::invalid_argument);
    UIScreen::mainScreen()->setPortraitSize(CGSizeMake(0, 0));
    EXPECT_THROW(zovo::renderScreen(), std::invalid_argument);
}

TEST_F(Render, WindowsStackByLevelWithTheStatusBarBetween)
{
    // Shown first, but at the status bar's level: above the normal window and over the bar.
    auto high = showWindow(CGRectMake(0, 0, 390, 60), UIWindowLevelStatusBar, UIColor::colorWithRed(0, 0, 1, 1).get());
    auto low = showWindow(CGRectMake(0, 0, 390, 844), UIWindowLevelNormal, UIColor::colorWithRed(1, 0, 0, 1).get());
    addView(low.get(), CGRectMake(100, 300, 120, 80), 0.2, 0.4, 0.8);
    zovo::Frame frame = zovo::renderScreen({.scale = 1});
    EXPECT_TRUE(isColour(frame.pixelAtPoint(160, 340), 51, 102, 204));
    EXPECT_TRUE(isColour(frame.pixelAtPoint(160, 385), 255, 0, 0)); // just below the view
    EXPECT_TRUE(isColour(frame.pixelAtPoint(20, 55), 0, 0, 255));
    EXPECT_EQ(whitePixels(frame, 390, 47), 0);

    high->setHidden(true);
    EXPECT_GT(whitePixels(zovo::renderScreen({.scale = 1}), 390, 47), 20) << "time, signal and battery over the normal window";
}

TEST_F(Render, AnimationInFlightIsDrawnAtItsPresentationPosition)
{
    auto window = showWindow(CGRectMake(0, 0, 390, 844));
    auto view = addView(window.get(), CGRectMake(145, 100, 100, 100), 1, 0, 0);
    UIView::animate(1.0, [&] { view->setFrame(CGRectMake(145, 600, 100, 100)); });
    process.mainRunLoop().advance(0.5);
    // Halfway through the ease-in-out curve is halfway along the path: y 350.
    zovo::Frame frame = zovo::renderScreen();
    EXPECT_TRUE(isColour(frame.pixelAtPoint(195, 400), 255, 0, 0));
    EXPECT_FALSE(isColour(frame.pixelAtPoint(195, 650), 255, 0, 0)); // the model position
    EXPECT_FALSE(isColour(frame.pixelAtPoint(195, 150), 255, 0, 0)); // where it started

    process.mainRunLoop().advance(0.5);
    EXPECT_TRUE(isColour(zovo::renderScreen().pixelAtPoint(195, 650), 255, 0, 0));
}

TEST_F(Render, UnchangedFrameIsLeftAloneAMoveRedrawsOnlyAroundItAndKeptBitmapsMatchAFreshRenderer)
{
    auto window = showWindow(CGRectMake(0, 0, 390, 844));
    auto box = addView(window.get(), CGRectMake(40, 300, 100, 50), 0.3, 0.3, 0.9);
    zovo::ScreenRenderer renderer;
    zovo::Frame frame;
    EXPECT_EQ(renderer.render(frame), (zovo::PixelRect{0, 0, 1170, 2532}));

    const std::uint64_t version = frame.version();
    EXPECT_TRUE(renderer.render(frame).empty());
    EXPECT_EQ(frame.version(), version) << "nothing changed, so nothing was drawn";

    box->setFrame(CGRectMake(60, 320, 100, 50));
    const zovo::PixelRect changed = renderer.render(frame);
    EXPECT_LT(changed.width * changed.height, 1170 * 2532 / 20) << "only the box's old and new place";
    const zovo::Frame fresh = zovo::ScreenRenderer().render();
    EXPECT_EQ(std::memcmp(std::as_const(frame).data(), fresh.data(), fresh.byteCount()), 0);

    // Whoever draws over the frame (the preview's overlays) gets a full frame next time.
    frame.data()[0] ^= 0xFF;
    EXPECT_EQ(renderer.render(frame).width, 1170);
    EXPECT_EQ(std::memcmp(std::as_const(frame).data(), fresh.data(), fresh.byteCount()), 0);

    // Bitmaps kept from other scales and another status bar draw as a fresh renderer does.
    renderer.render({.scale = 1, .statusBar = {.time = "12:00"}});
    for (double scale : {1.0, 3.0}) {
        const zovo::Frame reused = renderer.render({.scale = scale}), again = zovo::ScreenRenderer().render({.scale = scale});
        ASSERT_EQ(reused.byteCount(), again.byteCount());
        EXPECT_EQ(std::memcmp(reused.data(), again.data(), again.byteCount()), 0) << "at scale " << scale;
    }
}

} // namespace
