#include "BannerFixture.h"

#include "uikit/TouchInput.h"

namespace {

constexpr std::int64_t kPossible = 0, kBegan = 1, kChanged = 2, kEnded = 3, kCancelled = 4, kFailed = 5;

class Gestures : public BannerFixture {
protected:
    Gestures()
    {
        banner = makeBanner(CGRectMake(83, 0, 209, 120));
        banner->makeKeyAndVisible();
        bridge()->presented = true; // as SpringBoard sets it when it shows a banner
    }
    double y() const { return banner->frame().origin.y; }
    objc::StrongRef<BLNotificationBanner> banner;
};

TEST_F(Gestures, DragMovesOnlyVerticallyAndPausesTheTimerOnEveryMovement)
{
    drag(banner.get(), kBegan, 3);
    EXPECT_EQ(count(zovorudovu::kCancelBannerTimer), 1) << "a finger that stops after the first movement holds a paused banner";
    drag(banner.get(), kChanged, 10);
    drag(banner.get(), kChanged, -4);
    EXPECT_EQ(banner->frame(), CGRectMake(83, 9, 209, 120));
    EXPECT_EQ(pan->translation, CGPointMake(0, 0)) << "each message applies only the movement since the last";
    EXPECT_EQ(count(zovorudovu::kCancelBannerTimer), 3);
    EXPECT_EQ(count(zovorudovu::kStartBannerTimer), 0);
}

TEST_F(Gestures, ReleaseInsideOrOnTheThresholdsSnapsBack)
{
    for (double target : {24.0, 25.0, -25.0}) {
        posted.clear();
        drag(banner.get(), kEnded, target - y());
        EXPECT_EQ(banner->presentationFrame().origin.y, target) << "the snap-back starts where the finger left it";
        process.mainRunLoop().advance(0.21); // 0.2 s, passed in single precision
        EXPECT_EQ(y(), 0.0) << "released at " << target;
        EXPECT_EQ(banner->presentationFrame().origin.y, 0.0);
        EXPECT_EQ(posted, std::vector<std::string>{zovorudovu::kStartBannerTimer}) << "released at " << target;
    }
}

TEST_F(Gestures, PushedUpPastTheThresholdSlidesOutThenAsksForDismissal)
{
    drag(banner.get(), kEnded, -40);
    EXPECT_EQ(y(), -120.0) << "the model jumps to the target at once";
    EXPECT_EQ(count(zovorudovu::kStartBannerTimer), 1);
    EXPECT_EQ(count(zovorudovu::kDismiss), 0);
    process.mainRunLoop().advance(0.19);
    EXPECT_EQ(count(zovorudovu::kDismiss), 0);
    process.mainRunLoop().advance(0.02);
    EXPECT_EQ(count(zovorudovu::kDismiss), 1) << "after the 0.2 s slide";
    EXPECT_EQ(banner->frame(), CGRectMake(83, -120, 209, 120));
}

// A banner pushed away is replaced by a newer one (withdrawn at once) or dismissed by the system
// before its slide ends: the slide's end must not dismiss the newer banner or start a second
// dismissal of its own.
TEST_F(Gestures, SlideOutEndingAfterItsBannerWentAsksForNothing)
{
    drag(banner.get(), kEnded, -40);
    banner->setHidden(true); // withdrawn for a newer notification, which is presented meanwhile
    process.mainRunLoop().advance(0.21);
    EXPECT_EQ(count(zovorudovu::kDismiss), 0);

    auto other = makeBanner(CGRectMake(83, 0, 209, 120));
    other->makeKeyAndVisible();
    drag(other.get(), kEnded, -40);
    bridge()->presented = false; // the system's timer dismissed it during the slide
    process.mainRunLoop().advance(0.21);
    EXPECT_EQ(count(zovorudovu::kDismiss), 0);
}

TEST_F(Gestures, PulledDownPastTheThresholdExpandsWhileTheFingerIsDown)
{
    bridge()->longLookActivationMethodWasSwipe = false;
    std::vector<bool> swipeWhenExpanding;
    NSNotificationCenter::defaultCenter()->setPostListener([&](const std::string& name) {
        posted.push_back(name);
        if (name == zovorudovu::kExpand) swipeWhenExpanding.push_back(bridge()->longLookActivationMethodWasSwipe);
    });
    drag(banner.get(), kChanged, 20);
    EXPECT_EQ(count(zovorudovu::kExpand), 0);
    drag(banner.get(), kChanged, 10);
    EXPECT_EQ(posted, (std::vector<std::string>{zovorudovu::kCancelBannerTimer, zovorudovu::kExpand, zovorudovu::kCancelBannerTimer}));
    EXPECT_EQ(swipeWhenExpanding, std::vector<bool>{true});
    EXPECT_EQ(y(), -120.0);
    EXPECT_EQ(banner->presentationFrame().origin.y, 30.0) << "Expand goes out before the slide has run";
}

TEST_F(Gestures, ReleasedPulledDownPastTheThresholdExpands)
{
    drag(banner.get(), kEnded, 40);
    EXPECT_EQ(count(zovorudovu::kExpand), 1) << "the release settles the banner into its long look";
    EXPECT_EQ(count(zovorudovu::kStartBannerTimer), 1);
    EXPECT_TRUE(bridge()->longLookActivationMethodWasSwipe);
}

// Pushed away or expanded, nothing of the banner stays on screen, even a body taller than the
// window; a body that fits keeps the window's own height as the target.
TEST_F(Gestures, SlidOutOrExpandedNothingOfTheBodyStaysOnScreen)
{
    const struct {
        double dy, bodyHeight, target;
    } cases[] = {{-40, 100, -120}, {-40, 130, -130}, {40, 100, -120}, {40, 130, -130}};
    for (const auto& c : cases) {
        auto tall = makeBanner(CGRectMake(83, 0, 209, 120));
        objc::cast<UIView>(tall->bottomSection)->setFrame(CGRectMake(0, 0, 209, c.bodyHeight));
        drag(tall.get(), kEnded, c.dy);
        EXPECT_EQ(tall->frame().origin.y, c.target) << c.dy << " " << c.bodyHeight;
        CGRect body = objc::cast<UIView>(tall->bottomSection)->frame(); // on the screen
        body.origin.x += tall->frame().origin.x;
        body.origin.y += tall->frame().origin.y;
        EXPECT_TRUE(CGRectIsEmpty(CGRectIntersection(body, UIScreen::mainScreen()->bounds()))) << c.dy << " " << c.bodyHeight;
    }
}

TEST_F(Gestures, InterruptedDragSnapsBackAndRestartsTheTimer)
{
    for (std::int64_t state : {kCancelled, kFailed}) {
        posted.clear();
        drag(banner.get(), kChanged, 15);
        drag(banner.get(), state, 0);
        process.mainRunLoop().advance(0.21);
        EXPECT_EQ(y(), 0.0);
        EXPECT_EQ(count(zovorudovu::kStartBannerTimer), 1);
    }
}

// Only the states a drag passes through act: a message while the recogniser is still Possible
// settles nothing, even beyond either threshold, and leaves the timer alone.
TEST_F(Gestures, MessagesInOtherStatesNeitherSettleNorTouchTheTimer)
{
    for (double target : {40.0, -40.0}) {
        drag(banner.get(), kPossible, target - y());
        process.mainRunLoop().advance(0.3);
        EXPECT_EQ(y(), target) << "neither expanded, slid out nor snapped back";
    }
    EXPECT_TRUE(posted.empty());
}

TEST_F(Gestures, DragsAreIgnoredWhileTheLongLookIsUp)
{
    bridge()->longLookActivated = true;
    drag(banner.get(), kChanged, 60);
    drag(banner.get(), kEnded, 60);
    EXPECT_EQ(y(), 0.0);
    EXPECT_TRUE(posted.empty());
}

TEST_F(Gestures, SettlingActsOnlyBeyondTheThresholds)
{
    banner->setFrame(CGRectMake(83, 25, 209, 120));
    objc::send(objc::StrongId(banner), "updateFramesToFitInBounds");
    EXPECT_EQ(y(), 25.0);
    EXPECT_TRUE(posted.empty());
    banner->setFrame(CGRectMake(83, 30, 209, 120));
    objc::send(objc::StrongId(banner), "updateFramesToFitInBounds");
    EXPECT_TRUE(bridge()->longLookActivationMethodWasSwipe);
    EXPECT_EQ(count(zovorudovu::kExpand), 1);
}

// The same behaviours through the touch screen and the window's real recognisers.
class Touches : public Gestures {
protected:
    void step(double seconds) { process.mainRunLoop().advance(seconds); }
};

TEST_F(Touches, QuickTapAsksForTheTapActionOnly)
{
    zovo::touchDown({187, 40});
    step(0.1);
    zovo::touchUp({187, 40});
    step(0.01);
    EXPECT_EQ(posted, std::vector<std::string>{zovorudovu::kExecuteTapAction});
}

TEST_F(Touches, HoldExpandsOnceWhenRecognised)
{
    bridge()->longLookActivationMethodWasSwipe = true;
    zovo::touchDown({187, 40});
    step(0.49);
    EXPECT_EQ(count(zovorudovu::kExpand), 0);
    step(0.02);
    EXPECT_EQ(count(zovorudovu::kExpand), 1);
    EXPECT_FALSE(bridge()->longLookActivationMethodWasSwipe);
    zovo::touchMove({190, 42}); // moving and lifting the held finger does not ask again
    zovo::touchUp({190, 42});
    step(0.3);
    EXPECT_EQ(count(zovorudovu::kExpand), 1);
    EXPECT_EQ(count(zovorudovu::kExecuteTapAction), 0);
}

TEST_F(Touches, DragFollowsTheFingerAndPushUpDismisses)
{
    zovo::touchDown({187, 60});
    for (int i = 1; i <= 6; ++i) {
        step(0.016);
        zovo::touchMove({187.0 + i, 60.0 - 10 * i});
    }
    EXPECT_EQ(banner->frame().origin.x, 83.0) << "only vertical movement";
    EXPECT_EQ(y(), -60.0) << "the banner follows the finger exactly";
    zovo::touchUp({193, 0});
    step(0.25);
    EXPECT_EQ(count(zovorudovu::kDismiss), 1);
    EXPECT_EQ(count(zovorudovu::kStartBannerTimer), 1);
    EXPECT_EQ(count(zovorudovu::kExecuteTapAction), 0);
    EXPECT_EQ(count(zovorudovu::kExpand), 0);
}

} // namespace
