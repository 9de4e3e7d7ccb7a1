#include "TweakFixture.h"

namespace {

using Startup = TweakFixture;

struct Row {
    const char* cls;
    const char* selector;
    const char* types;
};
// Every method the component replaces or adds, with the encoding it must carry.
constexpr Row kRows[] = {
    {"_UIStatusBarForegroundView", "layoutSubviews", "v@:"},
    {"SBBannerWindow", "initWithFrame:", "@@:{CGRect={CGPoint=dd}{CGSize=dd}}"},
    {"SBBannerWindow", "toggleInteraction:", "v@:@"},
    {"NCNotificationShortLookViewController", "viewDidLoad", "v@:"},
    {"NCNotificationShortLookViewController", "viewWillDisappear:", "v@:B"},
    {"NCNotificationShortLookViewController", "expandContent:", "v@:@"},
    {"NCNotificationShortLookViewController", "adjustForLongLook:", "v@:B"},
    {"NCNotificationLongLookViewController", "viewWillAppear:", "v@:B"},
    {"NCNotificationLongLookViewController", "viewWillDisappear:", "v@:B"},
    {"NCNotificationShortLookView", "layoutSubviews", "v@:"},
    {"NCNotificationShortLookView", "fakeActivateTapGesture:", "v@:@"},
    {"SBNotificationBannerDestination", "init", "@@:"},
    {"SBNotificationBannerDestination", "postNotificationRequest:", "v@:@"},
    {"SBNotificationBannerDestination", "_dismissBannerCompleted:", "v@:@"},
    {"SBNotificationBannerDestination", "ensureBannerGetsDismissed", "v@:"},
    {"SpringBoard", "brimlight", "@@:"},
    {"SpringBoard", "setBrimlight:", "v@:@"},
    {"SpringBoard", "bannerHeight", "d@:"},
    {"SpringBoard", "setBannerHeight:", "v@:d"},
    {"SpringBoard", "applicationDidFinishLaunching:", "v@:@"},
    {"SpringBoard", "showBrimlight:", "v@:@"},
    {"SpringBoard", "dismissBrimlight:", "v@:@"},
};

TEST_F(Startup, EnabledStartUpAppliesEveryRowWithItsEncoding)
{
    std::vector<std::pair<const char*, objc::IMP>> before;
    for (const auto& row : kRows) {
        const objc::Method* m = objc::class_getInstanceMethod(objc::objc_getClass(row.cls), objc::sel(row.selector));
        before.emplace_back(row.selector, m ? m->imp : nullptr);
    }
    writeSettings({});
    load();
    for (std::size_t i = 0; i < std::size(kRows); ++i) {
        const auto& row = kRows[i];
        const objc::Method* m = objc::objc_getClass(row.cls)->ownMethod(objc::sel(row.selector));
        ASSERT_NE(m, nullptr) << row.cls << " " << row.selector;
        EXPECT_STREQ(m->types, row.types) << row.cls << " " << row.selector;
        EXPECT_NE(m->imp, before[i].second) << row.cls << " " << row.selector << " was not replaced";
    }
    objc::Class springBoard = objc::objc_getClass("SpringBoard");
    EXPECT_STREQ(objc::property_getAttributes(objc::class_getProperty(springBoard, "brimlight")), "T@\"BLNotificationBanner\",&,N");
    EXPECT_STREQ(objc::property_getAttributes(objc::class_getProperty(springBoard, "bannerHeight")), "Td,N");
}

TEST_F(Startup, SpringBoardPropertiesStoreThroughAssociations)
{
    writeSettings({});
    load();
    objc::StrongId app = objc::send<objc::StrongId>(objc::objc_getClass("SpringBoard"), "new");
    objc::send(app, "setBannerHeight:", 120.0);
    EXPECT_EQ(objc::send<double>(app, "bannerHeight"), 120.0);
    objc::StrongId window = objc::send<objc::StrongId>(objc::objc_getClass("NSObject"), "new");
    objc::send(app, "setBrimlight:", window);
    EXPECT_EQ(objc::send<objc::StrongId>(app, "brimlight").get(), window.get());
    EXPECT_EQ(window->retainCount(), 2u);
    objc::send(app, "setBrimlight:", nullptr);
    EXPECT_FALSE(objc::send<objc::StrongId>(app, "brimlight"));
    EXPECT_EQ(window->retainCount(), 1u) << "the window lost this owner";
}

TEST_F(Startup, DisabledStartUpTouchesNoClass)
{
    writeSettings({{"isEnabled", flag(false)}});
    std::size_t methodsBefore = 0;
    for (const auto& row : kRows) methodsBefore += objc::objc_getClass(row.cls)->ownMethods().size();
    load();
    std::size_t methodsAfter = 0;
    for (const auto& row : kRows) methodsAfter += objc::objc_getClass(row.cls)->ownMethods().size();
    EXPECT_EQ(methodsAfter, methodsBefore);
    EXPECT_EQ(objc::class_getProperty(objc::objc_getClass("SpringBoard"), "brimlight"), nullptr);
}

class MissingHostClass : public TweakFixture {
protected:
    MissingHostClass() : TweakFixture({}, {"SBBannerWindow"}) {}
};

TEST_F(MissingHostClass, RowsOfAMissingClassAreSkippedAndTheRestApplied)
{
    writeSettings({});
    load();
    EXPECT_TRUE(g().hooksInstalled);
    EXPECT_NE(objc::objc_getClass("SpringBoard")->ownMethod(objc::sel("showBrimlight:")), nullptr);
    EXPECT_NE(objc::objc_getClass("NCNotificationShortLookView")->ownMethod(objc::sel("fakeActivateTapGesture:")), nullptr);
}

class EveryHostClassMissing : public TweakFixture {
protected:
    EveryHostClassMissing()
        : TweakFixture({}, {"_UIStatusBarForegroundView", "SBBannerWindow", "NCNotificationShortLookViewController", "NCNotificationLongLookViewController",
                            "NCNotificationShortLookView", "SBNotificationBannerDestination", "SpringBoard"})
    {
    }
};

TEST_F(EveryHostClassMissing, StartUpSkipsEveryRowAndMakesNoHostClass)
{
    writeSettings({});
    load();
    EXPECT_TRUE(g().isEnabled);
    for (const auto& row : kRows) EXPECT_EQ(objc::objc_getClass(row.cls), nullptr) << row.cls << " was made, not found";
    EXPECT_NE(objc::objc_getClass("BLNotificationBanner"), nullptr) << "the component's own classes are there";
}

int cancels = 0, starts = 0, dismissals = 0;
bool lastAnimated = false, lastForce = false;
void countCancel(objc::id, objc::SEL) { ++cancels; }
void countStart(objc::id, objc::SEL) { ++starts; }
void countDismiss(objc::id, objc::SEL, bool animated, objc::id, bool force)
{
    ++dismissals;
    lastAnimated = animated;
    lastForce = force;
}

TEST_F(Startup, BannerDestinationAnswersTheTimerAndDismissalNames)
{
    objc::Class destination = objc::objc_getClass("SBNotificationBannerDestination");
    objc::class_replaceMethod(destination, objc::sel("_cancelDismissTimer"), countCancel);
    objc::class_replaceMethod(destination, objc::sel("_startDismissTimer"), countStart);
    objc::class_replaceMethod(destination, objc::sel("_dismissPresentedBannerAnimated:reason:forceIfSticky:"), countDismiss);
    cancels = starts = dismissals = 0;
    writeSettings({});
    load();
    objc::StrongId object = objc::send<objc::StrongId>(destination, "new");
    auto* centre = process.defaultCenter();
    objc::send(centre, "postNotificationName:object:", text(zovorudovu::kCancelBannerTimer), nullptr);
    objc::send(centre, "postNotificationName:object:", text(zovorudovu::kStartBannerTimer), nullptr);
    objc::send(centre, "postNotificationName:object:", text(zovorudovu::kRequestBannerDismissal), nullptr);
    objc::send(centre, "postNotificationName:object:", text("Zovorudovu_Unknown"), nullptr);
    EXPECT_EQ(cancels, 1);
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(dismissals, 1);
    EXPECT_TRUE(lastAnimated) << "the system's banner slides away as it would on its own";
    EXPECT_TRUE(lastForce);
    object = nullptr;
    objc::send(centre, "postNotificationName:object:", text(zovorudovu::kCancelBannerTimer), nullptr);
    EXPECT_EQ(cancels, 1) << "a destination that ended hears nothing";
}

} // namespace
