#include "RenderFixture.h"

#include "render/ScreenRenderer.h"
#include "uikit/CAShapeLayer.h"
#include "uikit/CGPath.h"
#include "uikit/UIFont.h"
#include "uikit/UILabel.h"

#include <cstring>
#include <limits>
#include <stdexcept>

namespace {

class Render : public RenderFixture {
protected:
    // Pixels of the frame in a rectangle of points that look white.
    static int whitePixels(const zovo::Frame& frame, CGRect points)
    {
        int count = 0;
        const double s = frame.scale();
        for (int y = static_cast<int>(points.origin.y * s); y < static_cast<int>(CGRectGetMaxY(points) * s); ++y)
            for (int x = static_cast<int>(points.origin.x * s); x < static_cast<int>(CGRectGetMaxX(points) * s); ++x) {
                const zovo::RGBA8 p = frame.pixelAt(x, y);
                if (p.red > 200 && p.green > 200 && p.blue > 200) ++count;
            }
        return count;
    }
};

TEST_F(Render, FrameIsScreenPointsTimesScaleInBothOrientations)
{
    zovo::Frame portrait = zovo::renderScreen();
    EXPECT_EQ(portrait.width(), 1170);
    EXPECT_EQ(portrait.height(), 2532);

    UIScreen::mainScreen()->setOrientation(UIScreen::Orientation::Landscape);
    zovo::Frame landscape = zovo::renderScreen();
    EXPECT_EQ(landscape.width(), 2532);
    EXPECT_EQ(landscape.height(), 1170);

    zovo::Frame small = zovo::renderScreen({.scale = 1});
    EXPECT_EQ(small.width(), 844);
    EXPECT_EQ(small.height(), 390);

    UIScreen::useDevice(*zovo::findDeviceProfile("iPhone12,1"));
    UIScreen::mainScreen()->setOrientation(UIScreen::Orientation::Portrait);
    zovo::Frame twoX = zovo::renderScreen();
    EXPECT_EQ(twoX.width(), 828);
    EXPECT_EQ(twoX.height(), 1792);

    // A fractional size is rounded up, and the partly covered last pixels are opaque too.
    zovo::Frame odd = zovo::renderScreen({.scale = 1.4});
    EXPECT_EQ(odd.width(), 580); // 579.6
    EXPECT_EQ(odd.pixelAt(579, 1254).alpha, 255);
    odd = zovo::renderScreen({.scale = 1.4, .showWallpaper = false});
    EXPECT_EQ(odd.pixelAt(579, 1254), (zovo::RGBA8{0, 0, 0, 255}));
}

TEST_F(Render, WithoutWallpaperAReusedFrameShowsBlackNotThePreviousPicture)
{
    zovo::Frame frame;
    zovo::renderScreen(frame);
    zovo::renderScreen(frame, {.showWallpaper = false});
    EXPECT_TRUE(isColour(frame.pixelAtPoint(195, 500), 0, 0, 0));
}

TEST_F(Render, BadScaleOrSizeIsAnErrorNotACrash)
{
    EXPECT_THROW(zovo::renderScreen({.scale = -1}), std::invalid_argument);
    EXPECT_THROW(zovo::renderScreen({.scale = std::numeric_limits<double>::quiet_NaN()}), std::invalid_argument);
    EXPECT_THROW(zovo::renderScreen({.scale = 1000}), std::invalid_argument);
    UIScreen::mainScreen()->setPortraitSize(CGSizeMake(0, 0));
    EXPECT_THROW(zovo::renderScreen(), std::invalid_argument);
}

TEST_F(Render, WindowWithColouredViewShowsThatColourAtItsCentre)
{
    auto window = showWindow(CGRectMake(0, 0, 390, 844));
    addView(window.get(), CGRectMake(100, 300, 120, 80), 0.2, 0.4, 0.8);
    const zovo::Frame frame = zovo::renderScreen();
    EXPECT_TRUE(isColour(frame.pixelAtPoint(160, 340), 51, 102, 204));
    EXPECT_FALSE(isColour(frame.pixelAtPoint(160, 395), 51, 102, 204)); // just below it
}

TEST_F(Render, AnimationInFlightIsDrawnAtItsPresentationPosition)
{
    auto window = showWindow(CGRectMake(0, 0, 390, 844));
    auto view = addView(window.get(), CGRectMake(145, 100, 100, 100), 1, 0, 0);
    UIView::animate(1.0, [&] { view->setFrame(CGRectMake(145, 600, 100, 100)); });
    advance(0.5);
    // Halfway through the ease-in-out curve is halfway along the path: y 350.
    zovo::Frame frame = zovo::renderScreen();
    EXPECT_TRUE(isColour(frame.pixelAtPoint(195, 400), 255, 0, 0));
    EXPECT_FALSE(isColour(frame.pixelAtPoint(195, 650), 255, 0, 0)); // the model position
    EXPECT_FALSE(isColour(frame.pixelAtPoint(195, 150), 255, 0, 0)); // where it started

    advance(0.5);
    frame = zovo::renderScreen();
    EXPECT_TRUE(isColour(frame.pixelAtPoint(195, 650), 255, 0, 0));
}

TEST_F(Render, HiddenOrTransparentViewDrawsNothingNorDoItsSubviews)
{
    auto window = showWindow(CGRectMake(0, 0, 390, 844));
    window->setBackgroundColor(UIColor::whiteColor());
    auto hidden = addView(window.get(), CGRectMake(20, 100, 100, 100), 1, 0, 0);
    addView(hidden.get(), CGRectMake(10, 10, 50, 50), 0, 1, 0);
    hidden->setHidden(true);
    auto faded = addView(window.get(), CGRectMake(200, 100, 100, 100), 1, 0, 0);
    addView(faded.get(), CGRectMake(10, 10, 50, 50), 0, 1, 0);
    faded->setAlpha(0);

    const zovo::Frame frame = zovo::renderScreen();
    EXPECT_TRUE(isColour(frame.pixelAtPoint(25, 105), 255, 255, 255));
    EXPECT_TRUE(isColour(frame.pixelAtPoint(50, 130), 255, 255, 255));
    EXPECT_TRUE(isColour(frame.pixelAtPoint(205, 105), 255, 255, 255));
    EXPECT_TRUE(isColour(frame.pixelAtPoint(230, 130), 255, 255, 255));
}

TEST_F(Render, TranslucentViewIsComposedAsOneGroup)
{
    auto window = showWindow(CGRectMake(0, 0, 390, 844));
    window->setBackgroundColor(UIColor::whiteColor());
    auto container = makeView<UIView>(CGRectMake(50, 200, 200, 100));
    window->addSubview(container);
    addView(container.get(), CGRectMake(0, 0, 100, 100), 1, 0, 0);
    addView(container.get(), CGRectMake(50, 0, 100, 100), 0, 0, 1);
    container->setAlpha(0.5);

    const zovo::Frame frame = zovo::renderScreen();
    // Where the two overlap only the front one shows, at half strength over white; blending each
    // subview on its own would let the red behind show through.
    EXPECT_TRUE(isColour(frame.pixelAtPoint(125, 250), 128, 128, 255, 2));
    EXPECT_TRUE(isColour(frame.pixelAtPoint(75, 250), 255, 128, 128, 2));
}

TEST_F(Render, MaskedRoundedBottomCornerShowsWallpaperAtTheCornerAndBodyInside)
{
    const zovo::Frame empty = zovo::renderScreen();

    // A banner as the component builds one: square top, bottom corners rounded by a shape mask.
    auto window = showWindow(CGRectMake(90, 100, 210, 120), UIWindowLevelStatusBar + 100);
    auto body = addView(window.get(), CGRectMake(0, 0, 210, 120), 0.1, 0.6, 0.3);
    auto mask = objc::make<CAShapeLayer>();
    const CGPath path = CGPath::roundedRectangle(CGRectMake(0, 0, 210, 120), UIRectCornerBottomLeft | UIRectCornerBottomRight, CGSizeMake(20, 20));
    mask->setPath(&path);
    body->layer()->setMask(mask.get());

    const zovo::Frame frame = zovo::renderScreen();
    const int cornerX = 90 * 3, cornerY = 220 * 3 - 1; // the very bottom-left pixel of the banner
    EXPECT_EQ(frame.pixelAt(cornerX, cornerY), empty.pixelAt(cornerX, cornerY));
    EXPECT_EQ(frame.pixelAt(cornerX + 209 * 3 + 2, cornerY), empty.pixelAt(cornerX + 209 * 3 + 2, cornerY));
    EXPECT_TRUE(isColour(frame.pixelAtPoint(98, 212), 26, 153, 77));  // just inside the curve
    EXPECT_TRUE(isColour(frame.pixelAtPoint(90.2, 100.2), 26, 153, 77)); // the top corners stay square
}

TEST_F(Render, LabelTextColourAppearsInsideItsFrameOnly)
{
    auto window = showWindow(CGRectMake(0, 0, 390, 844));
    window->setBackgroundColor(UIColor::whiteColor());
    auto label = makeView<UILabel>(CGRectMake(40, 300, 0, 0));
    label->setFont(UIFont::boldSystemFontOfSize(30).get());
    label->setTextColor(UIColor::colorWithRed(1, 0, 0, 1).get());
    label->setTextString("Hello");
    label->sizeToFit();
    window->addSubview(label);

    const zovo::Frame frame = zovo::renderScreen({.scale = 1});
    const CGRect f = label->frame();
    auto isRed = [](zovo::RGBA8 p) { return p.red > 200 && p.green < 80 && p.blue < 80; };
    int inside = 0, outside = 0;
    for (int y = 280; y < 360; ++y)
        for (int x = 20; x < 200; ++x) {
            const bool within = CGRectContainsPoint(f, CGPointMake(x + 0.5, y + 0.5));
            if (isRed(frame.pixelAt(x, y))) ++(within ? inside : outside);
        }
    EXPECT_GT(inside, 50);
    EXPECT_EQ(outside, 0);
}

TEST_F(Render, StatusBarIsCoveredOnlyByWindowsAtOrAboveItsLevel)
{
    const CGRect bar = CGRectMake(0, 0, 390, 47);
    auto normal = showWindow(CGRectMake(0, 0, 390, 844));
    normal->setBackgroundColor(UIColor::colorWithRed(1, 0, 0, 1).get());
    EXPECT_GT(whitePixels(zovo::renderScreen({.scale = 1}), bar), 20); // time, signal and battery

    auto above = showWindow(CGRectMake(0, 0, 390, 60), UIWindowLevelStatusBar);
    above->setBackgroundColor(UIColor::colorWithRed(1, 0, 0, 1).get());
    EXPECT_EQ(whitePixels(zovo::renderScreen({.scale = 1}), bar), 0);
}

TEST_F(Render, WindowsStackByLevelNotByTheOrderTheyWereShown)
{
    auto high = showWindow(CGRectMake(0, 300, 390, 100), UIWindowLevelAlert);
    high->setBackgroundColor(UIColor::colorWithRed(0, 0, 1, 1).get());
    auto low = showWindow(CGRectMake(0, 300, 390, 100));
    low->setBackgroundColor(UIColor::colorWithRed(1, 0, 0, 1).get());
    EXPECT_TRUE(isColour(zovo::renderScreen().pixelAtPoint(195, 350), 0, 0, 255));
}

TEST_F(Render, NotchHangsFromTheTopInPortraitAndStandsOnTheLeftInLandscape)
{
    zovo::Frame frame = zovo::renderScreen();
    EXPECT_TRUE(isColour(frame.pixelAtPoint(195, 2), 0, 0, 0));
    EXPECT_TRUE(isColour(frame.pixelAtPoint(195, 30), 0, 0, 0));    // 32 points deep on this phone
    EXPECT_FALSE(isColour(frame.pixelAtPoint(195, 34), 0, 0, 0));
    EXPECT_FALSE(isColour(frame.pixelAtPoint(80, 2), 0, 0, 0));     // left of its 210 points

    UIScreen::mainScreen()->setOrientation(UIScreen::Orientation::Landscape);
    auto window = showWindow(CGRectMake(0, 0, 844, 390));
    window->setBackgroundColor(UIColor::colorWithRed(1, 0, 0, 1).get());
    frame = zovo::renderScreen({.scale = 1});
    EXPECT_TRUE(isColour(frame.pixelAtPoint(2, 195), 0, 0, 0));
    EXPECT_TRUE(isColour(frame.pixelAtPoint(422, 2), 255, 0, 0)); // nothing at the top now
    EXPECT_EQ(whitePixels(frame, CGRectMake(0, 0, 844, 47)), 0);    // and no status bar
}

TEST_F(Render, DeviceWithoutNotchShowsNone)
{
    UIScreen::useDevice(*zovo::findDeviceProfile("iPhone12,8"));
    auto window = showWindow(CGRectMake(0, 0, 375, 667));
    window->setBackgroundColor(UIColor::colorWithRed(1, 0, 0, 1).get());
    const zovo::Frame frame = zovo::renderScreen({.scale = 1});
    EXPECT_TRUE(isColour(frame.pixelAtPoint(100, 1), 255, 0, 0));
    EXPECT_TRUE(isColour(frame.pixelAtPoint(270, 1), 255, 0, 0));
}

TEST_F(Render, KeptBitmapsAreRedrawnOnlyWhenWhatTheyShowChanges)
{
    zovo::ScreenRenderer renderer;
    zovo::Frame frame;
    renderer.render(frame);
    const std::uint8_t* pixels = frame.data();
    renderer.render(frame);
    EXPECT_EQ(frame.data(), pixels); // the same size reuses the frame's memory
    EXPECT_EQ(renderer.redraws().wallpaper, 1);
    EXPECT_EQ(renderer.redraws().statusBar, 1);
    EXPECT_EQ(renderer.redraws().notch, 1);

    renderer.render(frame, {.statusBar = {.time = "10:09"}});
    EXPECT_EQ(renderer.redraws().statusBar, 2);
    EXPECT_EQ(renderer.redraws().wallpaper, 1);

    UIScreen::mainScreen()->setOrientation(UIScreen::Orientation::Landscape);
    renderer.render(frame);
    EXPECT_EQ(renderer.redraws().wallpaper, 2);
    EXPECT_EQ(renderer.redraws().notch, 2);
}

TEST_F(Render, KeptBitmapsDrawTheSameAsAFreshRenderer)
{
    auto window = showWindow(CGRectMake(0, 0, 390, 200));
    addView(window.get(), CGRectMake(10, 60, 100, 50), 0.3, 0.3, 0.9);

    zovo::ScreenRenderer used;
    used.render({.scale = 2});
    used.render({.scale = 1, .statusBar = {.time = "12:00"}});
    for (double scale : {1.0, 2.0}) {
        const zovo::Frame reused = used.render({.scale = scale});
        const zovo::Frame fresh = zovo::ScreenRenderer().render({.scale = scale});
        ASSERT_EQ(reused.byteCount(), fresh.byteCount());
        EXPECT_EQ(std::memcmp(reused.data(), fresh.data(), fresh.byteCount()), 0) << "at scale " << scale;
    }
}

} // namespace
