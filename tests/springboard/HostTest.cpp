// The home screen alone, without the component: a recording library stands in for whatever the
// loader brings in, hooking the host's methods and noting each call before passing it on.
#include "foundation/DarwinNotifyCenter.h"
#include "foundation/NSDictionary.h"
#include "foundation/NSNotificationCenter.h"
#include "foundation/NSString.h"
#include "foundation/Process.h"
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
#include "substrate/Substrate.h"
#include "uikit/TouchInput.h"
#include "uikit/UIKitClasses.h"
#include "uikit/UIScreen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>
#include <string>
#include <vector>

using objc::StrongId;
using objc::id;
using objc::SEL;
using objc::send;
using Log = std::vector<std::string>;
using Phase = SBNotificationBannerDestination::Phase;

namespace {

// ---- The recording library: the methods the component hooks, each noted as it runs ------------

Log journal;
// Runs inside _dismissBannerCompleted:, after the host's body, as a hook on it might.
std::function<void(id)> onDismissCompleted;

// Hooks `selector` of `cls` so that each call is noted as `entry` and then goes on to the body it
// replaced. N tells apart hooks of one signature, as each keeps its own previous body.
template <int N, class R, class... A>
void record(const char* cls, const char* selector, const char* entry)
{
    static R (*previous)(id, SEL, A...);
    static const char* noted;
    noted = entry;
    auto body = +[](id s, SEL c, A... a) -> R { journal.push_back(noted); return previous(s, c, a...); };
    MSHookMessageEx(objc::objc_getClass(cls), objc::sel(selector), body, &previous);
}

void installRecorder(int, char**, char**)
{
    journal.push_back("initialiser");
    record<0, void, id>("SpringBoard", "applicationDidFinishLaunching:", "applicationDidFinishLaunching:");
    record<1, StrongId>("SBNotificationBannerDestination", "init", "destination init");
    record<2, StrongId, CGRect>("SBBannerWindow", "initWithFrame:", "SBBannerWindow initWithFrame:");
    record<3, void>("NCNotificationShortLookViewController", "viewDidLoad", "viewDidLoad");
    record<4, void>("NCNotificationShortLookView", "layoutSubviews", "card layoutSubviews");
    record<5, void, bool>("NCNotificationShortLookViewController", "viewWillDisappear:", "shortLook viewWillDisappear:");
    record<6, void, bool>("NCNotificationLongLookViewController", "viewWillDisappear:", "longLook viewWillDisappear:");
    // The status bar's frame must be in place by the time its layoutSubviews runs.
    static void (*statusBarLayout)(id, SEL);
    MSHookMessageEx(objc::objc_getClass("_UIStatusBarForegroundView"), objc::sel("layoutSubviews"), +[](id s, SEL c) {
        const CGSize size = send<CGRect>(s, "frame").size;
        journal.push_back("statusBar " + std::to_string(int(size.width)) + "x" + std::to_string(int(size.height)));
        statusBarLayout(s, c);
    }, &statusBarLayout);
    static void (*dismissCompleted)(id, SEL, id);
    MSHookMessageEx(objc::objc_getClass("SBNotificationBannerDestination"), objc::sel("_dismissBannerCompleted:"), +[](id s, SEL c, id request) {
        const std::string entry = "_dismissBannerCompleted: " + static_cast<NCNotificationRequest*>(request)->identifier;
        journal.push_back(entry + " begins");
        dismissCompleted(s, c, request);
        if (onDismissCompleted) onDismissCompleted(s);
        journal.push_back(entry + " returns");
    }, &dismissCompleted);
}

const zovo::DynamicLibrary kRecorder{"/Library/MobileSubstrate/DynamicLibraries/Recorder.dylib", nullptr, installRecorder};

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

    void post(const std::string& id, bool sticky = false)
    {
        host->postRequest({.id = id, .app = "Messages", .title = "Anna", .subtitle = "Lunch", .message = "At noon?",
                           .icon = UIImage::fromPixels(2, 2, {}, std::vector<std::uint8_t>(16, 200)), .date = "9:41", .sticky = sticky});
    }
    void turn() { process.mainRunLoop().runUntilIdle(); }
    void advance(double seconds) { process.mainRunLoop().advance(seconds); }
    static void tap(CGPoint point) { zovo::touchDown(point); zovo::touchUp(point); }

    SBNotificationBannerDestination* destination() { return host->destination(); }
    void dismiss(bool force, bool animated = true) { send(destination(), kDismiss, animated, nullptr, force); }
    void openLongLook() { send(destination()->shortLookController(), "_presentLongLookViaClickPresentationInteraction:", nullptr); }
    std::string presented() { return destination()->phase() == Phase::Presented ? destination()->presentedRequest()->identifier : ""; }
    static Log since(const std::string& entry) { return Log(std::find(journal.begin(), journal.end(), entry), journal.end()); }
    // "event request" for each host record, or "selector args" for each call record.
    static Log records(const char* kind)
    {
        Log out;
        for (const auto& e : zovo::trace().eventsOfKind(kind))
            out.push_back(std::string(kind) == "host" ? e.text("event") + " " + e.text("request") : e.text("selector") + " " + e.field("args"));
        return out;
    }

    static constexpr const char* kDismiss = "_dismissPresentedBannerAnimated:reason:forceIfSticky:";
    static constexpr double kExit = zovo::kBannerExitDuration;
    zovo::Process process;
    std::optional<zovo::SpringBoardHost> host;
};

class ShortBanners : public Host {
protected:
    ShortBanners() : Host({.bannerDuration = 2.0}) {}
};

TEST_F(Host, LaunchRunsTheLoaderThenLaysOutTheStatusBarBeforeMakingTheDestination)
{
    EXPECT_EQ(journal, (Log{"initialiser", "applicationDidFinishLaunching:", "statusBar 375x44", "destination init"}));
    EXPECT_TRUE(UIScreen::mainScreen()->visibleWindows().empty()) << "the status bar's window only carries geometry";
    EXPECT_THROW(host->launch(), std::logic_error);

    process.defaultCenter()->post("Zovorudovu_Present");
    process.defaultCenter()->post("SomethingElse");
    EXPECT_EQ(zovo::trace().eventsOfKind("post").size(), 1u) << "only traced names are recorded";
}

// Turned with a banner up, the status bar and the banner's window follow the screen at once and
// every view is laid out again on the next turn, even one whose size the turn did not change. In
// landscape the system banner takes the tap.
TEST_F(Host, RotationResizesTheWindowsLaysEveryViewOutOnTheNextTurnAndTheBannerTakesTheTap)
{
    post("r1");
    turn();
    advance(zovo::kBannerEntryDuration);
    auto cardPasses = [] { return std::count(journal.begin(), journal.end(), "card layoutSubviews"); };
    const auto before = cardPasses();
    host->rotate(UIScreen::Orientation::Landscape);
    EXPECT_EQ(journal.back(), "statusBar 812x44");
    EXPECT_EQ(host->shortLookView()->frame().origin.y, zovo::kBannerMargin) << "placed for landscape";
    EXPECT_EQ(cardPasses(), before) << "laid out on the next turn, not inside the rotation";
    turn();
    const auto turned = cardPasses();
    EXPECT_GT(turned, before);
    host->rotate(UIScreen::Orientation::Landscape);
    turn();
    EXPECT_EQ(cardPasses(), turned + 1) << "laid out again although nothing changed size";
    const CGRect card = host->shortLookView()->frameInWindow();
    tap(CGPointMake(CGRectGetMidX(card), CGRectGetMidY(card)));
    EXPECT_EQ(records("host").back(), "defaultAction r1");
    EXPECT_EQ(records("call")[1], "tapRecognizerRecognizedTap: [\"NCNotificationTapGestureRecognizer\"]");
}

TEST(HostSetup, BadOptionsAndEarlyCallsFailClearlyAndClassesLeftOutStillShowBanners)
{
    zovo::Process process;
    EXPECT_THROW(zovo::registerHostClasses(process.runtime()), std::logic_error) << "before UIKit";
    registerUIKitClasses(process.runtime());
    zovo::registerHostClasses(process.runtime(), {}, {"SBBannerWindow"});
    EXPECT_THROW(zovo::SpringBoardHost(process, {.model = ""}), std::invalid_argument);
    EXPECT_THROW(zovo::SpringBoardHost(process, {.bannerDuration = std::nan("")}), std::invalid_argument);
    EXPECT_THROW(zovo::SpringBoardHost(process, {.screen = CGSizeMake(-1, 800)}), std::invalid_argument);
    zovo::SpringBoardHost host(process, {.model = "Unknown9,9", .isIPad = true});
    EXPECT_THROW(host.postRequest({.id = "early"}), std::logic_error);
    host.launch();
    EXPECT_EQ(UIScreen::mainScreen()->bounds(), CGRectMake(0, 0, 375, 812));
    EXPECT_TRUE(send<bool>(objc::objc_getClass("UIDevice"), "currentIsIPad"));
    EXPECT_FALSE(objc::objc_getClass("SBBannerWindow"));
    host.postRequest({.id = "r1"});
    process.mainRunLoop().runUntilIdle();
    ASSERT_TRUE(host.bannerWindow());
    EXPECT_FALSE(host.bannerWindow()->isHidden());
}

TEST_F(Host, RequestIsPresentedOnALaterTurnAndItsCardAnswersAReaderByMessage)
{
    post("r1");
    EXPECT_FALSE(host->bannerWindow()) << "never inside the post";
    turn();
    EXPECT_EQ(records("host"), (Log{"requestReceived r1", "bannerPresented r1"}));
    EXPECT_EQ(since("SBBannerWindow initWithFrame:"), (Log{"SBBannerWindow initWithFrame:", "viewDidLoad", "card layoutSubviews", "card layoutSubviews"}));
    EXPECT_EQ(records("call"), Log{"_startDismissTimer []"});
    advance(2.0);
    EXPECT_EQ(std::count(journal.begin(), journal.end(), "card layoutSubviews"), zovo::kShortLookLayoutPasses) << "the run loop adds no passes";
    ASSERT_TRUE(host->bannerWindow());
    EXPECT_EQ(host->bannerWindow()->windowLevel(), zovo::kBannerWindowLevel);

    StrongId card(host->shortLookView());
    EXPECT_EQ(send<CGRect>(card, "frame").origin.y, 44.0) << "just under the status bar";
    StrongId controller = send<StrongId>(card, "_viewControllerForAncestor");
    EXPECT_EQ(controller.get(), destination()->shortLookController());
    EXPECT_EQ(send<StrongId>(controller, "delegate").get(), destination());
    EXPECT_EQ(send<std::uint64_t>(send<StrongId>(card, "icons"), "count"), 1u);
    auto text = [](const objc::StrongId& object, const char* selector) { return textOf(send<StrongId>(object, selector).get()); };
    EXPECT_EQ(text(card, "primaryText") + "|" + text(card, "primarySubtitleText") + "|" + text(card, "secondaryText"), "Anna|Lunch|At noon?");
    StrongId header, subviews = send<StrongId>(card, "subviews");
    for (std::uint64_t i = 0; i < send<std::uint64_t>(subviews, "count"); ++i)
        if (StrongId view = send<StrongId>(subviews, "objectAtIndex:", i); objc::respondsTo(view, objc::sel("setDateFormatStyle:"))) header = view;
    ASSERT_TRUE(header);
    EXPECT_EQ(text(header, "title") + " " + text(send<StrongId>(header, "_dateLabel"), "text"), "Messages 9:41");

    // A request without texts, shown once the first has gone, reads nil and "now".
    host->postRequest({.id = "bare"});
    advance(kExit);
    ASSERT_EQ(presented(), "bare");
    EXPECT_FALSE(send<StrongId>(StrongId(host->shortLookView()), "primaryText") || send<StrongId>(StrongId(host->shortLookView()), "secondaryText"));
    EXPECT_EQ(host->shortLookView()->header()->dateLabel()->textString(), zovo::kDateTextForNow);
}

TEST_F(ShortBanners, TimerDismissesWhenTheWholeDurationSinceItsLastStartRunsOut)
{
    post("r1");
    turn();
    advance(1.99);
    EXPECT_EQ(presented(), "r1");
    advance(0.01);
    EXPECT_EQ(records("call").back(), std::string(kDismiss) + " [true,\"timeout\",false]");
    advance(kExit);

    post("r2");
    turn();
    send(destination(), "_cancelDismissTimer");
    advance(10);
    send(destination(), "_startDismissTimer");
    advance(1.5);
    send(destination(), "_startDismissTimer");
    advance(1.5);
    EXPECT_EQ(presented(), "r2") << "the second start began the whole duration again";
    advance(0.5);
    EXPECT_EQ(presented(), "");
}

TEST_F(Host, DismissalTellsTheControllersThenRemovesTheWindowThenReportsCompletionOnce)
{
    dismiss(true);
    EXPECT_TRUE(records("host").empty()) << "nothing is presented";
    post("r1");
    turn();
    journal.clear();
    objc::WeakRef<SBBannerWindow> window(host->bannerWindow());
    dismiss(false);
    dismiss(true); // already leaving: nothing more
    EXPECT_EQ(journal, Log{"shortLook viewWillDisappear:"});
    EXPECT_TRUE(window) << "still sliding out";
    advance(kExit);
    EXPECT_EQ(journal, (Log{"shortLook viewWillDisappear:", "_dismissBannerCompleted: r1 begins", "_dismissBannerCompleted: r1 returns"}));
    EXPECT_FALSE(window) << "nothing keeps the system banner's window";
    EXPECT_EQ(records("host").back(), "bannerDismissed r1");
    EXPECT_EQ(records("call").size(), 4u) << "each call is recorded, whatever it did";

    post("r2");
    turn();
    dismiss(false, false);
    EXPECT_EQ(journal.back(), "_dismissBannerCompleted: r2 returns") << "without animation it completes inside the call";

    // A forced dismissal closes an open long look first, and a banner on its way out opens none.
    post("r3");
    turn();
    StrongId controller(destination()->shortLookController());
    openLongLook();
    EXPECT_EQ(records("call").back(), "_presentLongLookViaClickPresentationInteraction: [null]");
    journal.clear();
    dismiss(true);
    EXPECT_EQ(journal, (Log{"longLook viewWillDisappear:", "shortLook viewWillDisappear:"}));
    send(controller, "_presentLongLookViaClickPresentationInteraction:", nullptr);
    EXPECT_FALSE(destination()->isLongLookOpen());
}

TEST_F(Host, StickyBannerHasNoTimerAndIgnoresDismissalsThatDoNotForceButATapDismissesIt)
{
    post("s1", true);
    turn();
    send(destination(), "_startDismissTimer");
    EXPECT_FALSE(destination()->isDismissTimerRunning());
    send(destination(), kDismiss, true, NSString::from("timeout"), false);
    advance(60);
    EXPECT_EQ(presented(), "s1");

    StrongId tapRecognizer = send<StrongId>(send<StrongId>(host->shortLookView(), "gestureRecognizers"), "lastObject");
    send(tapRecognizer, "tapRecognizerRecognizedTap:", nullptr);
    send(tapRecognizer, "tapRecognizerRecognizedTap:", nullptr); // on its way out: nothing more
    EXPECT_EQ(records("host"), (Log{"requestReceived s1", "bannerPresented s1", "defaultAction s1"}));
    EXPECT_EQ(records("call"), (Log{"_startDismissTimer []", std::string(kDismiss) + " [true,\"timeout\",false]", "tapRecognizerRecognizedTap: [null]",
                                    std::string(kDismiss) + " [true,\"defaultAction\",true]", "tapRecognizerRecognizedTap: [null]"}))
        << "no timer started at presentation";
}

// How the refusal names the value is the property-list writer's test.
TEST_F(Host, SettingsChangeIsAnnouncedOnALaterTurnAndAValueNoListCanHoldIsRefused)
{
    int settingsCallbacks = 0;
    CFNotificationCenterAddObserver(CFNotificationCenterGetDarwinNotifyCenter(), &settingsCallbacks,
                                    [](CFNotificationCenterRef, void* count, CFStringRef, const void*, CFDictionaryRef) { ++*static_cast<int*>(count); },
                                    CFSTR("com.tarvik.zovorudovu/prefsupdated"), nullptr, CFNotificationSuspensionBehaviorHold); // one call per post
    ASSERT_TRUE(host->changeSettings(NSDictionary::from({{"bgColour", NSString::from("FF0000")}}).get()));
    EXPECT_FALSE(host->changeSettings(NSDictionary::from({{"icon", UIImage::fromPixels(1, 1, {}, std::vector<std::uint8_t>(4, 0))}}).get()));
    EXPECT_EQ(settingsCallbacks, 0);
    turn();
    EXPECT_EQ(settingsCallbacks, 1) << "one announcement, on a later turn, for the change that was written";
}

} // namespace
