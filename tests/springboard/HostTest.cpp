// The home screen alone, without the component: a recording library stands in for whatever the
// loader brings in, hooking the host's methods and noting each call before passing it on.
#include "foundation/DarwinNotifyCenter.h"
#include "foundation/NSDictionary.h"
#include "foundation/NSNotificationCenter.h"
#include "foundation/NSNumber.h"
#include "foundation/NSString.h"
#include "foundation/Process.h"
#include "foundation/PropertyList.h"
#include "foundation/RunLoop.h"
#include "foundation/Trace.h"
#include "objc/Message.h"
#include "springboard/Host.h"
#include "springboard/NCNotificationLongLookViewController.h"
#include "springboard/NCNotificationShortLookView.h"
#include "springboard/NCNotificationShortLookViewController.h"
#include "springboard/PLPlatterHeaderContentView.h"
#include "springboard/SBBannerWindow.h"
#include "springboard/SBNotificationBannerDestination.h"
#include "springboard/SpringBoard.h"
#include "springboard/UIStatusBarForegroundView.h"
#include "substrate/Substrate.h"
#include "uikit/TouchInput.h"
#include "uikit/UIFont.h"
#include "uikit/UIImage.h"
#include "uikit/UIKitClasses.h"
#include "uikit/UIScreen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>
#include <string>
#include <vector>

using objc::Id;
using objc::id;
using objc::SEL;
using objc::send;

namespace {

// ---- The recording library ---------------------------------------------------------------------

std::vector<std::string> journal;
// Runs inside _dismissBannerCompleted:, after the host's body, as a hook on it might.
std::function<void(id)> onDismissCompleted;

struct Previous {
    void (*launched)(id, SEL, id);
    void (*statusBarLayout)(id, SEL);
    Id (*destinationInit)(id, SEL);
    Id (*bannerWindowInit)(id, SEL, CGRect);
    void (*viewDidLoad)(id, SEL);
    void (*shortLookDisappear)(id, SEL, bool);
    void (*cardLayout)(id, SEL);
    void (*dismissCompleted)(id, SEL, id);
    void (*longLookAppear)(id, SEL, bool);
    void (*longLookDisappear)(id, SEL, bool);
} previous;

void note(std::string entry) { journal.push_back(std::move(entry)); }
std::string requestOf(id request) { return static_cast<NCNotificationRequest*>(request)->identifier; }

void launched(id s, SEL c, id a) { note("applicationDidFinishLaunching:"); previous.launched(s, c, a); }
void statusBarLayout(id s, SEL c)
{
    previous.statusBarLayout(s, c);
    const CGRect f = send<CGRect>(s, "frame");
    note("statusBar " + std::to_string(int(f.size.width)) + "x" + std::to_string(int(f.size.height)));
}
Id destinationInit(id s, SEL c) { note("destination init"); return previous.destinationInit(s, c); }
Id bannerWindowInit(id s, SEL c, CGRect f) { note("SBBannerWindow initWithFrame:"); return previous.bannerWindowInit(s, c, f); }
void viewDidLoad(id s, SEL c)
{
    previous.viewDidLoad(s, c);
    auto* controller = static_cast<NCNotificationShortLookViewController*>(s);
    note("viewDidLoad " + controller->request()->identifier);
}
void shortLookDisappear(id s, SEL c, bool a) { note("shortLook viewWillDisappear:"); previous.shortLookDisappear(s, c, a); }
void cardLayout(id s, SEL c) { previous.cardLayout(s, c); note("card layoutSubviews"); }
void dismissCompleted(id s, SEL c, id request)
{
    note("_dismissBannerCompleted: " + requestOf(request) + " begins");
    previous.dismissCompleted(s, c, request);
    if (onDismissCompleted) onDismissCompleted(s);
    note("_dismissBannerCompleted: " + requestOf(request) + " returns");
}
void longLookAppear(id s, SEL c, bool a) { note("longLook viewWillAppear:"); previous.longLookAppear(s, c, a); }
void longLookDisappear(id s, SEL c, bool a) { note("longLook viewWillDisappear:"); previous.longLookDisappear(s, c, a); }

void installRecorder(int, char**, char**)
{
    note("initialiser");
    auto cls = [](const char* name) { return objc::objc_getClass(name); };
    MSHookMessageEx(cls("SpringBoard"), objc::sel("applicationDidFinishLaunching:"), launched, &previous.launched);
    MSHookMessageEx(cls("_UIStatusBarForegroundView"), objc::sel("layoutSubviews"), statusBarLayout, &previous.statusBarLayout);
    MSHookMessageEx(cls("SBNotificationBannerDestination"), objc::sel("init"), destinationInit, &previous.destinationInit);
    MSHookMessageEx(cls("SBBannerWindow"), objc::sel("initWithFrame:"), bannerWindowInit, &previous.bannerWindowInit);
    MSHookMessageEx(cls("NCNotificationShortLookViewController"), objc::sel("viewDidLoad"), viewDidLoad, &previous.viewDidLoad);
    MSHookMessageEx(cls("NCNotificationShortLookViewController"), objc::sel("viewWillDisappear:"), shortLookDisappear, &previous.shortLookDisappear);
    MSHookMessageEx(cls("NCNotificationShortLookView"), objc::sel("layoutSubviews"), cardLayout, &previous.cardLayout);
    MSHookMessageEx(cls("SBNotificationBannerDestination"), objc::sel("_dismissBannerCompleted:"), dismissCompleted, &previous.dismissCompleted);
    MSHookMessageEx(cls("NCNotificationLongLookViewController"), objc::sel("viewWillAppear:"), longLookAppear, &previous.longLookAppear);
    MSHookMessageEx(cls("NCNotificationLongLookViewController"), objc::sel("viewWillDisappear:"), longLookDisappear, &previous.longLookDisappear);
}

const zovo::DynamicLibrary kRecorder{"/Library/MobileSubstrate/DynamicLibraries/Recorder.dylib", nullptr, installRecorder};

// ---- Fixture -----------------------------------------------------------------------------------

class Host : public ::testing::Test {
protected:
    explicit Host(zovo::HostOptions options = {})
    {
        journal.clear();
        onDismissCompleted = nullptr;
        options.libraries.push_back(kRecorder);
        host.emplace(process, std::move(options));
        host->launch();
    }
    ~Host() override { onDismissCompleted = nullptr; }

    void post(const std::string& id, bool sticky = false)
    {
        host->postRequest({.id = id, .app = "Messages", .title = "Anna", .subtitle = "Lunch", .message = "At noon?", .icon = icon(), .date = "9:41",
                           .sticky = sticky});
    }
    static objc::Ref<UIImage> icon() { return UIImage::fromPixels(2, 2, {}, std::vector<std::uint8_t>(16, 200)); }

    void turn() { process.mainRunLoop().runUntilIdle(); }
    void advance(double seconds) { process.mainRunLoop().advance(seconds); }

    SBNotificationBannerDestination* destination() { return host->destination(); }
    void dismiss(bool force, id reason = nullptr) { send(destination(), "_dismissPresentedBannerAnimated:reason:forceIfSticky:", true, reason, force); }
    std::string presented()
    {
        auto* d = destination();
        return d->phase() == SBNotificationBannerDestination::Phase::Presented ? d->presentedRequest()->identifier : "";
    }

    // "event request" for each host record.
    std::vector<std::string> hostEvents()
    {
        std::vector<std::string> out;
        for (const auto& e : zovo::trace().eventsOfKind("host")) out.push_back(e.text("event") + " " + e.text("request"));
        return out;
    }
    // "selector args" for each call record.
    std::vector<std::string> calls()
    {
        std::vector<std::string> out;
        for (const auto& e : zovo::trace().eventsOfKind("call")) out.push_back(e.text("selector") + " " + e.field("args"));
        return out;
    }
    std::vector<std::string> since(const std::string& entry)
    {
        auto it = std::find(journal.begin(), journal.end(), entry);
        return it == journal.end() ? std::vector<std::string>{} : std::vector<std::string>(it, journal.end());
    }

    zovo::Process process;
    std::optional<zovo::SpringBoardHost> host;
};

constexpr double kExit = zovo::kBannerExitDuration;
constexpr double kDuration = zovo::kSystemBannerDuration;

// ---- Launch ------------------------------------------------------------------------------------

TEST_F(Host, LaunchRunsTheLoaderThenLaysOutTheStatusBarBeforeMakingTheDestination)
{
    EXPECT_EQ(journal, (std::vector<std::string>{"initialiser", "applicationDidFinishLaunching:", "statusBar 375x44", "destination init"}));
    ASSERT_TRUE(destination());
    EXPECT_EQ(destination()->phase(), SBNotificationBannerDestination::Phase::Idle);
    EXPECT_TRUE(objc::send<bool>(objc::objc_getClass("UIDevice"), "tf_deviceHasFaceID"));
    EXPECT_FALSE(objc::send<bool>(objc::objc_getClass("UIDevice"), "currentIsIPad"));
    EXPECT_TRUE(UIScreen::mainScreen()->visibleWindows().empty()) << "the status bar's window only carries geometry";
    EXPECT_THROW(host->launch(), std::logic_error);
}

TEST_F(Host, OnlyTracedNamesOfPostsAreRecorded)
{
    process.defaultCenter()->post("Zovorudovu_Present");
    process.defaultCenter()->post("SomethingElse");
    auto posts = zovo::trace().eventsOfKind("post");
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_EQ(posts[0].text("name"), "Zovorudovu_Present");
}

TEST(HostOptions, BadOptionsAndEarlyRequestsFailClearly)
{
    zovo::Process process;
    EXPECT_THROW(zovo::SpringBoardHost(process, {.model = ""}), std::invalid_argument);
    EXPECT_THROW(zovo::SpringBoardHost(process, {.bannerDuration = 0}), std::invalid_argument);
    EXPECT_THROW(zovo::SpringBoardHost(process, {.bannerDuration = std::nan("")}), std::invalid_argument);
    EXPECT_THROW(zovo::SpringBoardHost(process, {.screen = CGSizeMake(-1, 800)}), std::invalid_argument);
    zovo::SpringBoardHost host(process, {.model = "Unknown9,9", .isIPad = true});
    EXPECT_THROW(host.postRequest({.id = "early"}), std::logic_error);
    host.launch();
    EXPECT_EQ(UIScreen::mainScreen()->bounds(), CGRectMake(0, 0, 375, 812));
    EXPECT_TRUE(objc::send<bool>(objc::objc_getClass("UIDevice"), "currentIsIPad"));
}

// ---- Presentation ------------------------------------------------------------------------------

TEST_F(Host, RequestIsPresentedOnALaterTurnNeverInsideThePost)
{
    post("r1");
    EXPECT_EQ(hostEvents(), std::vector<std::string>{"requestReceived r1"});
    EXPECT_FALSE(host->bannerWindow());
    turn();
    EXPECT_EQ(hostEvents(), (std::vector<std::string>{"requestReceived r1", "bannerPresented r1"}));
    EXPECT_EQ(presented(), "r1");
    EXPECT_TRUE(destination()->isDismissTimerRunning());
}

TEST_F(Host, PresentationBuildsWindowControllerAndCardInOrderThenStartsTheTimer)
{
    post("r1");
    turn();
    EXPECT_EQ(since("SBBannerWindow initWithFrame:"),
              (std::vector<std::string>{"SBBannerWindow initWithFrame:", "viewDidLoad r1", "card layoutSubviews", "card layoutSubviews"}));
    EXPECT_EQ(calls(), std::vector<std::string>{"_startDismissTimer []"});
    advance(2.0);
    EXPECT_EQ(std::count(journal.begin(), journal.end(), "card layoutSubviews"), zovo::kShortLookLayoutPasses) << "the run loop adds no passes";

    SBBannerWindow* window = host->bannerWindow();
    ASSERT_TRUE(window);
    EXPECT_EQ(window->windowLevel(), zovo::kBannerWindowLevel);
    EXPECT_FALSE(window->isHidden());
    EXPECT_EQ(window->frame().origin.y, 0.0);
    Id card(host->shortLookView());
    ASSERT_TRUE(card);
    EXPECT_GE(card->retainCount(), 2u);
    EXPECT_EQ(send<CGRect>(card, "frame").origin.y, 44.0) << "just under the status bar";

    // What a reader of the card finds, by message.
    Id controller = send<Id>(card, "_viewControllerForAncestor");
    EXPECT_EQ(controller.get(), destination()->shortLookController());
    EXPECT_EQ(send<Id>(controller, "delegate").get(), destination());
    EXPECT_EQ(send<std::uint64_t>(send<Id>(card, "icons"), "count"), 1u);
    EXPECT_EQ(textOf(send<Id>(card, "primaryText")), "Anna");
    EXPECT_EQ(textOf(send<Id>(card, "primarySubtitleText")), "Lunch");
    EXPECT_EQ(textOf(send<Id>(card, "secondaryText")), "At noon?");
    Id header;
    Id subviews = send<Id>(card, "subviews");
    for (std::uint64_t i = 0; i < send<std::uint64_t>(subviews, "count"); ++i) {
        Id subview = send<Id>(subviews, "objectAtIndex:", i);
        if (objc::respondsTo(subview, objc::sel("setDateFormatStyle:"))) header = subview;
    }
    ASSERT_TRUE(header);
    EXPECT_EQ(textOf(send<Id>(header, "title")), "Messages");
    EXPECT_EQ(textOf(send<Id>(send<Id>(header, "_dateLabel"), "text")), "9:41");
    Id recognizers = send<Id>(card, "gestureRecognizers");
    EXPECT_GT(send<std::uint64_t>(recognizers, "count"), 1u);
    EXPECT_TRUE(objc::respondsTo(send<Id>(recognizers, "lastObject"), objc::sel("tapRecognizerRecognizedTap:")));
}

TEST_F(Host, BannerSlidesInWhileTheLongLookShowsTheMessageTheCardCutsShort)
{
    std::string message;
    for (int i = 0; i < 40; ++i) message += "Lunch at noon, or later? ";
    host->postRequest({.id = "long", .title = "Anna", .message = message});
    turn();
    SBBannerWindow* window = host->bannerWindow();
    EXPECT_EQ(window->presentationFrame().origin.y, -window->frame().size.height) << "starts above the screen";
    advance(zovo::kBannerEntryDuration);
    EXPECT_EQ(window->presentationFrame(), window->frame());

    UILabel* cardMessage = host->shortLookView()->messageLabel();
    const double line = cardMessage->font()->lineHeight();
    EXPECT_LE(cardMessage->frame().size.height, zovo::kBannerMessageLines * line + 1);
    EXPECT_LE(CGRectGetMaxY(cardMessage->frame()), host->shortLookView()->bounds().size.height) << "the card holds its lines";
    send(destination()->shortLookController(), "_presentLongLookViaClickPresentationInteraction:", nullptr);
    EXPECT_GT(host->longLook()->messageLabel()->frame().size.height, 2 * cardMessage->frame().size.height);
}

TEST_F(Host, DismissalThatIsNotAnimatedCompletesInsideTheCall)
{
    post("r1");
    turn();
    send(destination(), "_dismissPresentedBannerAnimated:reason:forceIfSticky:", false, nullptr, false);
    EXPECT_EQ(journal.back(), "_dismissBannerCompleted: r1 returns");
    EXPECT_FALSE(host->bannerWindow());
}

TEST_F(Host, EmptyTextsAreNilAndAnEmptyDateReadsNow)
{
    host->postRequest({.id = "bare"});
    turn();
    Id card(host->shortLookView());
    EXPECT_FALSE(send<Id>(card, "primaryText"));
    EXPECT_FALSE(send<Id>(card, "secondaryText"));
    EXPECT_EQ(send<std::uint64_t>(send<Id>(card, "icons"), "count"), 0u);
    EXPECT_EQ(host->shortLookView()->header()->dateLabel()->textString(), zovo::kDateTextForNow);
}

TEST_F(Host, WaitingRequestsAreShownInArrivalOrderEachAfterTheLastCompletionReturns)
{
    post("r1");
    turn();
    post("r2");
    post("r3");
    EXPECT_EQ(calls().back(), "_dismissPresentedBannerAnimated:reason:forceIfSticky: [true,\"newRequest\",true]");
    EXPECT_EQ(destination()->pendingCount(), 2u);
    // A hook that asks for a forced dismissal during the completion must find nothing to dismiss.
    onDismissCompleted = [](id destination) { send(destination, "_dismissPresentedBannerAnimated:reason:forceIfSticky:", true, nullptr, true); };
    advance(kExit);
    EXPECT_EQ(since("_dismissBannerCompleted: r1 begins"),
              (std::vector<std::string>{"_dismissBannerCompleted: r1 begins", "_dismissBannerCompleted: r1 returns", "SBBannerWindow initWithFrame:",
                                        "viewDidLoad r2", "card layoutSubviews", "card layoutSubviews"}));
    EXPECT_EQ(presented(), "r2");
    onDismissCompleted = nullptr;
    advance(kDuration + kExit);
    EXPECT_EQ(presented(), "r3") << "a request already waiting lets the banner before it run its time";
    EXPECT_EQ(hostEvents(), (std::vector<std::string>{"requestReceived r1", "bannerPresented r1", "requestReceived r2", "requestReceived r3",
                                                      "bannerDismissed r1", "bannerPresented r2", "bannerDismissed r2", "bannerPresented r3"}));
}

// ---- Timer and dismissal -------------------------------------------------------------------------

class ShortBanners : public Host {
protected:
    ShortBanners() : Host({.bannerDuration = 2.0}) {}
};

TEST_F(ShortBanners, TimerDismissesWhenTheBannerDurationRunsOut)
{
    post("r1");
    turn();
    advance(1.99);
    EXPECT_EQ(presented(), "r1");
    advance(0.01);
    EXPECT_EQ(calls().back(), "_dismissPresentedBannerAnimated:reason:forceIfSticky: [true,\"timeout\",false]");
    EXPECT_EQ(destination()->phase(), SBNotificationBannerDestination::Phase::Dismissing);
    advance(kExit);
    EXPECT_EQ(destination()->phase(), SBNotificationBannerDestination::Phase::Idle);
    EXPECT_FALSE(host->bannerWindow());
    EXPECT_TRUE(UIScreen::mainScreen()->visibleWindows().empty());
}

TEST_F(ShortBanners, CancelledTimerWaitsAndEachStartRunsTheWholeDuration)
{
    post("r1");
    turn();
    send(destination(), "_cancelDismissTimer");
    advance(10);
    EXPECT_EQ(presented(), "r1");
    send(destination(), "_startDismissTimer");
    advance(1.5);
    send(destination(), "_startDismissTimer");
    advance(1.5);
    EXPECT_EQ(presented(), "r1") << "the second start began the whole duration again";
    advance(0.5);
    EXPECT_NE(presented(), "r1");
}

TEST_F(Host, DismissalTellsTheControllerThenRemovesTheWindowThenReportsCompletion)
{
    post("r1");
    turn();
    journal.clear();
    objc::WeakRef<SBBannerWindow> window(host->bannerWindow());
    dismiss(false);
    EXPECT_EQ(journal, std::vector<std::string>{"shortLook viewWillDisappear:"});
    EXPECT_TRUE(window) << "still sliding out";
    advance(kExit);
    EXPECT_EQ(journal, (std::vector<std::string>{"shortLook viewWillDisappear:", "_dismissBannerCompleted: r1 begins", "_dismissBannerCompleted: r1 returns"}));
    EXPECT_FALSE(window) << "nothing keeps the system banner's window";
    auto windows = zovo::trace().eventsOfKind("window");
    ASSERT_FALSE(windows.empty());
    EXPECT_EQ(windows.back().text("event"), "removed");
    EXPECT_EQ(windows.back().text("class"), "SBBannerWindow");
    EXPECT_EQ(hostEvents().back(), "bannerDismissed r1");
}

TEST_F(Host, DismissingWithNothingPresentedOrAlreadyLeavingDoesNothing)
{
    dismiss(true);
    EXPECT_TRUE(hostEvents().empty());
    post("r1");
    turn();
    dismiss(true);
    dismiss(true);
    advance(kExit);
    EXPECT_EQ(std::count(journal.begin(), journal.end(), "_dismissBannerCompleted: r1 begins"), 1);
    EXPECT_EQ(std::count(journal.begin(), journal.end(), "shortLook viewWillDisappear:"), 1);
    EXPECT_EQ(calls().size(), 4u) << "each call is recorded, whatever it did";
}

TEST_F(Host, StickyBannerHasNoTimerAndIgnoresDismissalsThatDoNotForce)
{
    post("s1", true);
    turn();
    EXPECT_TRUE(calls().empty()) << "no timer for a sticky banner";
    send(destination(), "_startDismissTimer");
    EXPECT_FALSE(destination()->isDismissTimerRunning());
    dismiss(false, NSString::from("timeout"));
    advance(60);
    EXPECT_EQ(presented(), "s1");
    dismiss(true);
    advance(kExit);
    EXPECT_EQ(hostEvents().back(), "bannerDismissed s1");
}

// ---- Default action and long look --------------------------------------------------------------

TEST_F(Host, DefaultActionIsRecordedOnceAndDismissesEvenASticky)
{
    post("s1", true);
    turn();
    Id tap = send<Id>(send<Id>(host->shortLookView(), "gestureRecognizers"), "lastObject");
    send(tap, "tapRecognizerRecognizedTap:", nullptr);
    send(tap, "tapRecognizerRecognizedTap:", nullptr); // on its way out: nothing more
    EXPECT_EQ(hostEvents(), (std::vector<std::string>{"requestReceived s1", "bannerPresented s1", "defaultAction s1"}));
    EXPECT_EQ(calls(), (std::vector<std::string>{"tapRecognizerRecognizedTap: [null]",
                                                 "_dismissPresentedBannerAnimated:reason:forceIfSticky: [true,\"defaultAction\",true]",
                                                 "tapRecognizerRecognizedTap: [null]"}));
}

TEST_F(Host, InLandscapeTheSystemBannerTakesTheTapItself)
{
    host->rotate(UIScreen::Orientation::Landscape);
    post("r1");
    turn();
    advance(zovo::kBannerEntryDuration);
    const CGRect card = host->shortLookView()->frameInWindow();
    EXPECT_EQ(card.origin.y, zovo::kBannerMargin);
    const CGPoint centre = CGPointMake(CGRectGetMidX(card), CGRectGetMidY(card));
    zovo::touchDown(centre);
    zovo::touchUp(centre);
    EXPECT_EQ(hostEvents().back(), "defaultAction r1");
    EXPECT_EQ(calls()[1], "tapRecognizerRecognizedTap: [\"NCNotificationTapGestureRecognizer\"]");
}

TEST_F(Host, LongLookHoldsTheBannerUntilItClosesThenDismisses)
{
    post("r1");
    turn();
    bool completed = false;
    send(destination()->shortLookController(), "_presentLongLookForScrollAnimated:completion:", true, std::function<void()>([&] { completed = true; }));
    EXPECT_EQ(since("longLook viewWillAppear:"), std::vector<std::string>{"longLook viewWillAppear:"});
    EXPECT_EQ(hostEvents().back(), "longLookPresented r1");
    EXPECT_FALSE(completed);
    advance(zovo::kLongLookAppearDuration);
    EXPECT_TRUE(completed);
    EXPECT_EQ(host->bannerWindow()->frame(), UIScreen::mainScreen()->bounds()) << "the long look fills the screen";

    // Held: no timer, no dismissal that is not forced, and a new request only waits.
    send(destination(), "_startDismissTimer");
    dismiss(false);
    post("r2");
    advance(3 * kDuration);
    EXPECT_EQ(presented(), "r1");
    EXPECT_TRUE(destination()->isLongLookOpen());

    journal.clear();
    EXPECT_TRUE(host->closeLongLook());
    EXPECT_FALSE(host->closeLongLook());
    EXPECT_EQ(journal, (std::vector<std::string>{"longLook viewWillDisappear:", "shortLook viewWillDisappear:"}));
    advance(kExit);
    EXPECT_EQ(presented(), "r2");
    auto events = hostEvents();
    EXPECT_EQ(std::vector<std::string>(events.end() - 4, events.end()),
              (std::vector<std::string>{"requestReceived r2", "longLookDismissed r1", "bannerDismissed r1", "bannerPresented r2"}));
}

TEST_F(Host, PressOpensTheLongLookAndATapOutsideItsCardClosesIt)
{
    post("r1");
    turn();
    send(destination()->shortLookController(), "_presentLongLookViaClickPresentationInteraction:", nullptr);
    EXPECT_EQ(calls().back(), "_presentLongLookViaClickPresentationInteraction: [null]");
    ASSERT_TRUE(host->longLook());
    advance(zovo::kLongLookAppearDuration);
    const CGRect card = host->longLook()->card()->frameInWindow();
    zovo::touchDown(CGPointMake(CGRectGetMidX(card), CGRectGetMidY(card)));
    zovo::touchUp(CGPointMake(CGRectGetMidX(card), CGRectGetMidY(card)));
    EXPECT_TRUE(destination()->isLongLookOpen()) << "a tap on the card itself keeps it open";
    zovo::touchDown(CGPointMake(CGRectGetMidX(card), CGRectGetMaxY(card) + 100));
    zovo::touchUp(CGPointMake(CGRectGetMidX(card), CGRectGetMaxY(card) + 100));
    EXPECT_FALSE(destination()->isLongLookOpen());
    EXPECT_EQ(destination()->phase(), SBNotificationBannerDestination::Phase::Dismissing);
}

TEST_F(Host, ForcedDismissalClosesAnOpenLongLookFirstAndOnlyThePresentedBannerCanOpenOne)
{
    post("r1");
    turn();
    Id first(destination()->shortLookController());
    send(first, "_presentLongLookViaClickPresentationInteraction:", nullptr);
    journal.clear();
    dismiss(true);
    EXPECT_EQ(journal, (std::vector<std::string>{"longLook viewWillDisappear:", "shortLook viewWillDisappear:"}));
    send(first, "_presentLongLookViaClickPresentationInteraction:", nullptr);
    EXPECT_FALSE(destination()->isLongLookOpen()) << "a banner on its way out opens nothing";
}

// ---- Rotation, settings, classes left out --------------------------------------------------------

TEST_F(Host, RotationSwapsTheScreenAndLaysTheStatusBarOutAgain)
{
    journal.clear();
    host->rotate(UIScreen::Orientation::Landscape);
    EXPECT_EQ(UIScreen::mainScreen()->bounds(), CGRectMake(0, 0, 812, 375));
    EXPECT_EQ(journal, std::vector<std::string>{"statusBar 812x44"});
    host->rotate(UIScreen::Orientation::Portrait);
    EXPECT_EQ(UIScreen::mainScreen()->bounds(), CGRectMake(0, 0, 375, 812));
    EXPECT_EQ(journal.back(), "statusBar 375x44");
}

int settingsCallbacks = 0;
void countSettings(CFNotificationCenterRef, void*, CFStringRef, const void*, CFDictionaryRef) { ++settingsCallbacks; }

TEST_F(Host, SettingsChangeRewritesTheFileAndPostsTheChangeForALaterTurn)
{
    settingsCallbacks = 0;
    CFNotificationCenterAddObserver(CFNotificationCenterGetDarwinNotifyCenter(), nullptr, countSettings, CFSTR("com.tarvik.zovorudovu/prefsupdated"), nullptr,
                                    CFNotificationSuspensionBehaviorCoalesce);
    auto settings = NSDictionary::from({{"bgColour", NSString::from("FF0000")}, {"showGrabber", NSNumber::numberWithBool(false)}});
    ASSERT_TRUE(host->changeSettings(settings.get()));
    EXPECT_EQ(settingsCallbacks, 0);
    auto read = zovo::readPropertyList(process.hostPath(host->options().settings.path));
    ASSERT_TRUE(read) << read.message;
    EXPECT_EQ(textOf(read.dictionary->objectForKey("bgColour")), "FF0000");
    turn();
    EXPECT_EQ(settingsCallbacks, 1);

    // A value no property list can hold is refused, and nothing is announced.
    auto bad = NSDictionary::from({{"icon", icon()}});
    auto refused = host->changeSettings(bad.get());
    EXPECT_FALSE(refused);
    EXPECT_NE(refused.message.find("icon"), std::string::npos) << refused.message;
    turn();
    EXPECT_EQ(settingsCallbacks, 1);
}

TEST(HostClasses, RegisteringBeforeUIKitFailsClearly)
{
    zovo::Process process;
    EXPECT_THROW(zovo::registerHostClasses(process.runtime()), std::logic_error);
}

TEST(HostClasses, ClassesLeftOutAreHiddenByNameButTheHostStillShowsBanners)
{
    zovo::Process process;
    registerUIKitClasses(process.runtime());
    zovo::registerHostClasses(process.runtime(), {}, {"SBBannerWindow"});
    zovo::SpringBoardHost host(process);
    host.launch();
    EXPECT_FALSE(objc::objc_getClass("SBBannerWindow"));
    host.postRequest({.id = "r1"});
    process.mainRunLoop().runUntilIdle();
    ASSERT_TRUE(host.bannerWindow());
    EXPECT_FALSE(host.bannerWindow()->isHidden());
}

} // namespace
