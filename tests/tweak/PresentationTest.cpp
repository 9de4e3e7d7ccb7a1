#include "BannerFixture.h"

namespace {

class Presentation : public BannerFixture {
protected:
    Presentation()
    {
        UIScreen::useDevice(*zovo::findDeviceProfile("iPhone12,3")); // 375 wide, notch 209
        springBoard = newObject("SpringBoard");
        objc::send(springBoard, "applicationDidFinishLaunching:", springBoard);
    }
    void post(const char* name) { NSNotificationCenter::defaultCenter()->post(name); }
    objc::StrongId brimlight() { return objc::send<objc::StrongId>(springBoard, "brimlight"); }
    objc::StrongId springBoard;
};

// Launch records the notch and the banner's height; the content's top follows the status bar's
// bottom edge, wherever the bar stands.
TEST_F(Presentation, LaunchAndStatusBarLayoutRecordTheBannersGeometry)
{
    EXPECT_EQ(bridge()->notchWidth, 209.0f);
    EXPECT_EQ(objc::send<double>(springBoard, "bannerHeight"), 120.0);
    objc::StrongId bar = withFrame("_UIStatusBarForegroundView", CGRectMake(0, 10, 375, 44));
    objc::send(bar, "layoutSubviews");
    EXPECT_EQ(bridge()->safeYPos, 39.0f);
}

// A presented banner slides down from above the screen, centred, as wide as the notch; a custom
// width wins over the notch, up to the screen's width.
TEST_F(Presentation, PresentSlidesACentredWindowDownAsWideAsTheNotchOrTheCustomWidth)
{
    const struct {
        bool custom;
        float width;
        CGRect frame;
    } cases[] = {
        {false, 250, CGRectMake(83, 0, 209, 120)},  {true, 250, CGRectMake(62.5, 0, 250, 120)}, {true, 375, CGRectMake(0, 0, 375, 120)},
        {true, 500, CGRectMake(0, 0, 375, 120)}, {true, 1366, CGRectMake(0, 0, 375, 120)},
    };
    for (const auto& c : cases) {
        bridge()->customWidth = c.custom;
        bridge()->customWidthValue = c.width;
        post(zovorudovu::kPresent);
        auto window = objc::cast<BLNotificationBanner>(brimlight());
        ASSERT_TRUE(window);
        EXPECT_TRUE(bridge()->presented);
        EXPECT_FALSE(window->isHidden());
        EXPECT_TRUE(window->isKeyWindow());
        EXPECT_EQ(window->frame(), c.frame) << c.width;
        EXPECT_EQ(bridge()->customWidthValue, c.width) << "the setting itself is kept";
        EXPECT_EQ(window->presentationFrame(), CGRectMake(c.frame.origin.x, -120, c.frame.size.width, 120));
        process.mainRunLoop().advance(0.3);
        EXPECT_EQ(window->presentationFrame(), c.frame);
    }
}

TEST_F(Presentation, AcceleratedDismissalDropsTheWindowAtOnceAndANormalOneSlidesItOutFirstButSparesANewerOne)
{
    post(zovorudovu::kPresent);
    objc::WeakRef<objc::Object> weak(brimlight().get());
    posted.clear();
    post(zovorudovu::kDismissAccelerated);
    EXPECT_FALSE(brimlight());
    EXPECT_FALSE(weak) << "no other owner keeps it";
    EXPECT_TRUE(bridge()->presented);
    EXPECT_EQ(posted, std::vector<std::string>{zovorudovu::kDismissAccelerated});
    EXPECT_TRUE(UIScreen::mainScreen()->visibleWindows().empty());

    // A normal dismissal slides the window out, then drops it.
    post(zovorudovu::kPresent);
    process.mainRunLoop().advance(0.3);
    auto window = objc::cast<BLNotificationBanner>(brimlight());
    posted.clear();
    post(zovorudovu::kDismiss);
    EXPECT_FALSE(bridge()->presented);
    EXPECT_EQ(count(zovorudovu::kRequestBannerDismissal), 1);
    EXPECT_EQ(window->frame().origin.y, -120.0);
    window = nullptr; // left to the component alone
    // A body taller than the window (a long message) slides out by its own height.
    post(zovorudovu::kPresent);
    objc::cast<UIView>(objc::cast<BLNotificationBanner>(brimlight())->bottomSection)->setFrame(CGRectMake(0, 0, 209, 130));
    post(zovorudovu::kDismiss);
    EXPECT_EQ(objc::cast<UIView>(brimlight())->frame().origin.y, -130.0);
    process.mainRunLoop().advance(0.29);
    EXPECT_TRUE(brimlight());
    process.mainRunLoop().advance(0.01);
    EXPECT_FALSE(brimlight());

    post(zovorudovu::kDismiss); // nothing presented: still clears and asks the system
    EXPECT_EQ(count(zovorudovu::kRequestBannerDismissal), 3);

    // The end of a slide-out spares a banner presented while it ran.
    post(zovorudovu::kPresent);
    post(zovorudovu::kDismiss);
    process.mainRunLoop().advance(0.1);
    post(zovorudovu::kPresent);
    objc::StrongId newer = brimlight();
    process.mainRunLoop().advance(0.3);
    EXPECT_EQ(brimlight(), newer);
    EXPECT_TRUE(bridge()->presented);
    ASSERT_EQ(UIScreen::mainScreen()->visibleWindows().size(), 1u);
    EXPECT_EQ(UIScreen::mainScreen()->visibleWindows()[0], newer.get());
}

// The landscape test reads the screen's bounds as they stand in the current orientation.
TEST_F(Presentation, LandscapeFollowsTheScreenBounds)
{
    UIScreen::useDevice(*zovo::findDeviceProfile("iPad8,1"));
    zovorudovu::checkOrientation();
    EXPECT_FALSE(g().isLandscape);
    UIScreen::mainScreen()->setOrientation(UIScreen::Orientation::Landscape);
    zovorudovu::checkOrientation();
    EXPECT_TRUE(g().isLandscape);
    UIScreen::mainScreen()->setOrientation(UIScreen::Orientation::Portrait);
    UIScreen::mainScreen()->setPortraitSize(CGSizeMake(500, 500));
    zovorudovu::checkOrientation();
    EXPECT_FALSE(g().isLandscape) << "a square screen counts as portrait";
}

} // namespace
