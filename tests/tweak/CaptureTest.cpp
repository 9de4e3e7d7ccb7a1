// The component's hooks on the system's banner card decide from the card's ancestry whether it is
// a banner at all: only a card whose controller was presented by the banner destination is one.
#include "BannerFixture.h"

#include "foundation/Trace.h"
#include "springboard/NCNotificationRequest.h"
#include "uikit/UIImage.h"

namespace {

class Capture : public BannerFixture {
protected:
    // A banner controller presented by `delegate`, with its card loaded.
    objc::StrongId controllerWithCard(objc::id delegate)
    {
        objc::StrongId controller = newObject("NCNotificationShortLookViewController");
        objc::send(controller, "setDelegate:", delegate);
        objc::send<objc::StrongId>(controller, "view");
        return controller;
    }

    objc::StrongId destination = newObject("SBNotificationBannerDestination");
    objc::StrongId stranger = newObject("NSObject");
};

TEST_F(Capture, OnlyACardPresentedByTheBannerDestinationIsABannerAndOnlyThePresentingControllersIsCaptured)
{
    objc::StrongId banner = controllerWithCard(destination.get());
    EXPECT_TRUE(g().isBanner);
    EXPECT_EQ(count(zovorudovu::kPresent), 1);

    // A card some other presenter shows (a list, a widget) is left alone.
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
    objc::StrongId loose = withFrame("NCNotificationShortLookView", CGRectMake(0, 0, 300, 100));
    objc::send(loose, "layoutSubviews");
    EXPECT_FALSE(g().isBanner);
    EXPECT_EQ(count(zovorudovu::kUpdateContent), 0);
    EXPECT_FALSE(objc::send<bool>(loose, "isHidden")) << "only a banner's own card is hidden";

    // Only the card of the banner the component presented is captured: a card whose controller was
    // presented earlier (a newer banner has taken its place) keeps its view and sends no content.
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
        NSNotificationCenter::defaultCenter()->post(zovorudovu::kExpand); // a banner's controller listens for it
        if (!c.call) objc::send(controller, "expandContent:", nullptr);   // any other is not even asked
        objc::send(controller, "viewWillDisappear:", false);
        std::vector<std::string> calls;
        for (const auto& e : zovo::trace().eventsOfKind("call")) calls.push_back(e.text("selector") + " " + e.field("args"));
        EXPECT_EQ(calls, c.call ? std::vector<std::string>{c.call} : std::vector<std::string>{});
        EXPECT_EQ(count(zovorudovu::kWindowLevelSetLow), c.call ? 1 : 0);
        EXPECT_EQ(count(zovorudovu::kWindowLevelSetHigh), c.call ? 1 : 0);
    }
}

// The system's banner window is made untouchable and follows the two names posted; in landscape,
// where the component stands aside, it is left as the system made it, and a banner's card is
// neither presented nor captured.
TEST_F(Capture, BannerWindowTouchabilityFollowsItsTwoNamesAndLandscapeIsLeftAlone)
{
    objc::StrongId window = withFrame("SBBannerWindow", CGRectMake(0, 0, 375, 120));
    EXPECT_FALSE(objc::send<bool>(window, "isUserInteractionEnabled")) << "made untouchable";
    const auto after = [&](const char* name, const objc::StrongId& w) {
        NSNotificationCenter::defaultCenter()->post(name);
        return objc::send<bool>(w, "isUserInteractionEnabled");
    };
    EXPECT_TRUE(after(zovorudovu::kBannerWindowTouchable, window));
    EXPECT_TRUE(after(zovorudovu::kWindowLevelSetLow, window)) << "another name changes nothing";
    EXPECT_FALSE(after(zovorudovu::kBannerWindowUntouchable, window));

    UIScreen::mainScreen()->setOrientation(UIScreen::Orientation::Landscape);
    objc::StrongId sideways = withFrame("SBBannerWindow", CGRectMake(0, 0, 812, 120));
    EXPECT_TRUE(objc::send<bool>(sideways, "isUserInteractionEnabled"));
    EXPECT_TRUE(after(zovorudovu::kBannerWindowUntouchable, sideways)) << "nor does it listen";
    posted.clear();
    objc::StrongId controller = controllerWithCard(destination.get());
    NSNotificationCenter::defaultCenter()->post(zovorudovu::kExpand);
    EXPECT_EQ(posted, std::vector<std::string>{zovorudovu::kExpand}) << "no presentation, no expansion";
}

// The captured content: the card's title, or the header's app name when it has none; the message,
// or the subtitle when it has none; the header's date; the card's icon.
TEST_F(Capture, CaptureTakesTheCardsTextsWithTheirFallbacksTheDateAndTheIcon)
{
    const struct {
        const char *title, *subtitle, *message, *shownTitle, *shownMessage;
    } cases[] = {{"Lunch?", "From Ana", "At one", "Lunch?", "At one"}, {"", "From Ana", "", "Mail", "From Ana"}};
    for (const auto& c : cases) {
        auto request = objc::make<NCNotificationRequest>();
        request->appName = "Mail";
        request->title = c.title;
        request->subtitle = c.subtitle;
        request->message = c.message;
        request->dateText = "9:41";
        request->icon = UIImage::fromPixels(1, 1, {zovo::ChannelOrder::RGBA, zovo::AlphaMode::Straight}, {1, 2, 3, 255});
        objc::StrongId controller = objc::send<objc::StrongId>(objc::send<objc::StrongId>(objc::objc_getClass("NCNotificationShortLookViewController"), "alloc"),
                                                               "initWithNotificationRequest:", request);
        objc::send(controller, "setDelegate:", destination);
        objc::StrongId card = objc::send<objc::StrongId>(controller, "view");
        bridge()->presented = true;
        objc::send(card, "layoutSubviews");
        ASSERT_TRUE(objc::send<bool>(card, "isHidden")) << c.title;
        EXPECT_EQ(textOf(bridge()->primaryText.get()), c.shownTitle);
        EXPECT_EQ(textOf(bridge()->secondaryText.get()), c.shownMessage);
        EXPECT_EQ(textOf(bridge()->dateText.get()), "9:41");
        EXPECT_EQ(bridge()->icon.get(), request->icon.get());
    }
}

} // namespace
