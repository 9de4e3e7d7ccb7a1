// The component's hooks on the system's banner card decide from the card's ancestry whether it is
// a banner at all: only a card whose controller was presented by the banner destination is one.
#include "BannerFixture.h"

#include "foundation/NSNotification.h"
#include "foundation/Trace.h"
#include "uikit/CGGeometry.h"

#include <algorithm>

namespace {

class Capture : public BannerFixture {
protected:
    // A banner controller presented by `delegate`, with its card loaded.
    objc::StrongId controllerWithCard(objc::id delegate)
    {
        objc::StrongId controller = objc::send<objc::StrongId>(objc::objc_getClass("NCNotificationShortLookViewController"), "new");
        objc::send(controller, "setDelegate:", delegate);
        objc::send<objc::StrongId>(controller, "view");
        return controller;
    }
};

TEST_F(Capture, OnlyACardPresentedByTheBannerDestinationIsABanner)
{
    objc::StrongId destination = objc::send<objc::StrongId>(objc::objc_getClass("SBNotificationBannerDestination"), "new");
    objc::StrongId banner = controllerWithCard(destination.get());
    EXPECT_TRUE(g().isBanner);
    EXPECT_EQ(count(zovorudovu::kPresent), 1);

    // A card some other presenter shows (a list, a widget) is left alone.
    objc::StrongId stranger = objc::send<objc::StrongId>(objc::objc_getClass("NSObject"), "new");
    objc::StrongId other = controllerWithCard(stranger.get());
    EXPECT_FALSE(g().isBanner);
    // Even when everything else would let the capture go ahead, its card keeps its view.
    bridge()->presented = true;
    g().presentingController = objc::WeakRef<objc::Object>(other.get());
    objc::send(objc::send<objc::StrongId>(other, "view"), "layoutSubviews");
    EXPECT_FALSE(objc::send<bool>(objc::send<objc::StrongId>(other, "view"), "isHidden"));
    EXPECT_EQ(count(zovorudovu::kUpdateContent), 0);
    bridge()->presented = false;
    controllerWithCard(nullptr);
    EXPECT_FALSE(g().isBanner);
    EXPECT_EQ(count(zovorudovu::kPresent), 1);

    // A card outside any controller has no ancestry to ask: its layout captures nothing.
    objc::StrongId loose = objc::send<objc::StrongId>(objc::send<objc::StrongId>(objc::objc_getClass("NCNotificationShortLookView"), "alloc"), "initWithFrame:",
                                          CGRectMake(0, 0, 300, 100));
    objc::send(loose, "layoutSubviews");
    EXPECT_FALSE(g().isBanner);
    EXPECT_EQ(count(zovorudovu::kUpdateContent), 0);
    EXPECT_FALSE(objc::send<bool>(loose, "isHidden")) << "only a banner's own card is hidden";
}

// Only the card of the banner the component presented is captured: a card whose controller was
// presented earlier (a newer banner has taken its place) keeps its view and sends no content.
TEST_F(Capture, OnlyThePresentingControllersCardIsCaptured)
{
    objc::StrongId destination = objc::send<objc::StrongId>(objc::objc_getClass("SBNotificationBannerDestination"), "new");
    objc::StrongId older = controllerWithCard(destination.get());
    objc::StrongId newer = controllerWithCard(destination.get());
    ASSERT_EQ(g().presentingController.get(), newer.get());
    bridge()->presented = true; // as SpringBoard sets it when it shows the banner
    posted.clear();

    objc::StrongId olderCard = objc::send<objc::StrongId>(older, "view");
    objc::send(olderCard, "layoutSubviews");
    EXPECT_FALSE(objc::send<bool>(olderCard, "isHidden"));
    EXPECT_EQ(count(zovorudovu::kUpdateContent), 0);

    objc::StrongId newerCard = objc::send<objc::StrongId>(newer, "view");
    objc::send(newerCard, "layoutSubviews");
    EXPECT_TRUE(objc::send<bool>(newerCard, "isHidden"));
    EXPECT_EQ(count(zovorudovu::kUpdateContent), 1);

    bridge()->presented = false; // dismissed: not even the presenting controller's card is captured
    objc::send(newerCard, "setHidden:", false);
    objc::send(newerCard, "layoutSubviews");
    EXPECT_FALSE(objc::send<bool>(newerCard, "isHidden"));
    EXPECT_EQ(count(zovorudovu::kUpdateContent), 1);
}

// A banner's card lowers the window and opens the long look on expansion (animated, as after a
// pull, when the banner was swiped down; through the press interaction otherwise), and raises the
// window again when it goes; any other card does neither.
TEST_F(Capture, ExpandingABannersCardOpensTheLongLookTheWayItWasAskedFor)
{
    objc::StrongId destination = objc::send<objc::StrongId>(objc::objc_getClass("SBNotificationBannerDestination"), "new");
    objc::StrongId stranger = objc::send<objc::StrongId>(objc::objc_getClass("NSObject"), "new");
    const struct {
        objc::id delegate;
        bool swipe;
        const char* call; // selector and arguments, or null for no call
    } cases[] = {
        {destination.get(), true, "_presentLongLookForScrollAnimated:completion: [true,null]"},
        {destination.get(), false, "_presentLongLookViaClickPresentationInteraction: [null]"},
        {stranger.get(), true, nullptr},
    };
    for (const auto& c : cases) {
        objc::StrongId controller = controllerWithCard(c.delegate);
        bridge()->longLookActivationMethodWasSwipe = c.swipe;
        posted.clear();
        zovo::trace().clear();
        objc::send(controller, "expandContent:", nullptr);
        objc::send(controller, "viewWillDisappear:", false);
        std::vector<std::string> calls;
        for (const auto& e : zovo::trace().eventsOfKind("call")) calls.push_back(e.text("selector") + " " + e.field("args"));
        EXPECT_EQ(calls, c.call ? std::vector<std::string>{c.call} : std::vector<std::string>{});
        EXPECT_EQ(count(zovorudovu::kWindowLevelSetLow), c.call ? 1 : 0);
        EXPECT_EQ(count(zovorudovu::kWindowLevelSetHigh), c.call ? 1 : 0);
    }
}

TEST_F(Capture, BannerWindowTouchabilityAnswersOnlyItsTwoNames)
{
    objc::StrongId window = objc::send<objc::StrongId>(objc::send<objc::StrongId>(objc::objc_getClass("SBBannerWindow"), "alloc"), "initWithFrame:", CGRectMake(0, 0, 375, 120));
    EXPECT_FALSE(objc::send<bool>(window, "isUserInteractionEnabled")) << "made untouchable";
    const auto toggle = [&](const char* name) {
        objc::send(window, "toggleInteraction:", NSNotification::make(NSString::from(name).get(), nullptr).get());
        return objc::send<bool>(window, "isUserInteractionEnabled");
    };
    EXPECT_TRUE(toggle(zovorudovu::kBannerWindowTouchable));
    EXPECT_TRUE(toggle(zovorudovu::kWindowLevelSetLow)) << "another name changes nothing";
    EXPECT_FALSE(toggle(zovorudovu::kBannerWindowUntouchable));
}

} // namespace
