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

// Where a drag leaves the banner decides what follows: inside or exactly on either 25-point
// threshold it snaps back, beyond it a push slides it out and then asks for dismissal and a pull
// expands it, at once while the finger is down. A body taller than the window slides out by its
// own height. An interrupted drag always snaps back; a message while the recogniser is still
// Possible settles nothing, even beyond either threshold, and leaves the timer alone.
TEST_F(Gestures, WhereTheDragLeavesTheBannerDecidesTheOutcome)
{
    const struct {
        std::int64_t state;
        double dy, bodyHeight, settled;
        int expansions, dismissals;
        const char* timer;
    } cases[] = {
        {kEnded, 24, 100, 0, 0, 0, zovorudovu::kStartBannerTimer},       {kEnded, 25, 100, 0, 0, 0, zovorudovu::kStartBannerTimer},
        {kEnded, -25, 100, 0, 0, 0, zovorudovu::kStartBannerTimer},      {kEnded, 26, 100, -120, 1, 0, zovorudovu::kStartBannerTimer},
        {kEnded, -26, 100, -120, 0, 1, zovorudovu::kStartBannerTimer},   {kEnded, 40, 130, -130, 1, 0, zovorudovu::kStartBannerTimer},
        {kEnded, -40, 130, -130, 0, 1, zovorudovu::kStartBannerTimer},   {kChanged, 25, 100, 25, 0, 0, zovorudovu::kCancelBannerTimer},
        {kChanged, 26, 100, -120, 1, 0, zovorudovu::kCancelBannerTimer}, {kCancelled, 40, 100, 0, 0, 0, zovorudovu::kStartBannerTimer},
        {kFailed, -40, 100, 0, 0, 0, zovorudovu::kStartBannerTimer},     {kPossible, 40, 100, 40, 0, 0, nullptr},
        {kPossible, -40, 100, -40, 0, 0, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "state " << c.state << ", moved " << c.dy << ", body " << c.bodyHeight);
        auto b = makeBanner(CGRectMake(83, 0, 209, 120));
        b->makeKeyAndVisible();
        objc::cast<UIView>(b->bottomSection)->setFrame(CGRectMake(0, 0, 209, c.bodyHeight));
        bridge()->longLookActivationMethodWasSwipe = false;
        posted.clear();
        drag(b.get(), c.state, c.dy);
        EXPECT_EQ(b->presentationFrame().origin.y, c.dy) << "any slide starts where the finger left it";
        EXPECT_EQ(c.timer ? count(c.timer) : 1, 1);
        EXPECT_EQ(count(zovorudovu::kExpand), c.expansions);
        EXPECT_EQ(bridge()->longLookActivationMethodWasSwipe, c.expansions == 1);
        process.mainRunLoop().advance(0.19);
        EXPECT_EQ(count(zovorudovu::kDismiss), 0) << "not before the 0.2 s slide has ended";
        process.mainRunLoop().advance(0.02); // 0.2 s, passed in single precision
        EXPECT_EQ(b->frame().origin.y, c.settled);
        EXPECT_EQ(b->presentationFrame().origin.y, c.settled);
        EXPECT_EQ(b->frame().origin.x, 83.0);
        EXPECT_EQ(count(zovorudovu::kDismiss), c.dismissals);
        EXPECT_EQ(posted.size(), (c.timer ? 1u : 0u) + c.expansions + c.dismissals);
    }
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

// While the long look is up every drag is ignored.
TEST_F(Gestures, DragsUnderTheLongLookNeitherMoveNorSettle)
{
    bridge()->longLookActivated = true;
    drag(banner.get(), kChanged, 60);
    drag(banner.get(), kEnded, 60);
    EXPECT_EQ(y(), 0.0);
    EXPECT_TRUE(posted.empty());
}

// The same behaviours through the touch screen and the window's real recognisers: a quick tap
// asks for the tap action only; a hold expands once, when recognised, and moving or lifting the
// held finger does not ask again; a drag follows the finger exactly, vertically only.
TEST_F(Gestures, TouchesReachTheHandlersThroughTheWindowsRecognisers)
{
    const auto step = [&](double seconds) { process.mainRunLoop().advance(seconds); };
    zovo::touchDown({187, 40});
    step(0.1);
    zovo::touchUp({187, 40});
    step(0.01);
    EXPECT_EQ(posted, std::vector<std::string>{zovorudovu::kExecuteTapAction});

    posted.clear();
    bridge()->longLookActivationMethodWasSwipe = true;
    zovo::touchDown({187, 40});
    step(0.49);
    EXPECT_EQ(count(zovorudovu::kExpand), 0);
    step(0.02);
    EXPECT_EQ(count(zovorudovu::kExpand), 1);
    EXPECT_FALSE(bridge()->longLookActivationMethodWasSwipe);
    zovo::touchMove({190, 42});
    zovo::touchUp({190, 42});
    step(0.3);
    EXPECT_EQ(posted, std::vector<std::string>{zovorudovu::kExpand});

    posted.clear();
    banner->setFrame(CGRectMake(83, 0, 209, 120));
    zovo::touchDown({187, 60});
    for (int i = 1; i <= 6; ++i) {
        step(0.016);
        zovo::touchMove({187.0 + i, 60.0 - 10 * i});
    }
    EXPECT_EQ(banner->frame(), CGRectMake(83, -60, 209, 120));
    zovo::touchUp({193, 0});
    step(0.25);
    EXPECT_EQ(count(zovorudovu::kDismiss), 1);
    EXPECT_EQ(count(zovorudovu::kStartBannerTimer), 1);
    EXPECT_EQ(count(zovorudovu::kExecuteTapAction) + count(zovorudovu::kExpand), 0);
}

} // namespace
