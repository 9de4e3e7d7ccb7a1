#include "TweakFixture.h"

#include <algorithm>

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

// Enabled, start-up replaces or adds every row with its encoding; disabled, it touches no class. A
// host class that is missing skips its rows and no other; with every one missing, start-up makes
// none of them.
TEST_F(Startup, EnabledStartUpAppliesEveryRowOfThePresentClassesWithItsEncodingAndDisabledNone)
{
    std::vector<std::string> every;
    for (const auto& row : kRows) every.emplace_back(row.cls);
    const std::pair<bool, std::vector<std::string>> cases[] = {{true, {}}, {false, {}}, {true, {"SBBannerWindow"}}, {true, every}};
    for (const auto& [enabled, omit] : cases) {
        zovo::Process fresh;
        registerClasses(fresh, omit);
        std::vector<objc::IMP> before;
        for (const auto& row : kRows) {
            objc::Class cls = objc::objc_getClass(row.cls);
            const objc::Method* m = cls ? objc::class_getInstanceMethod(cls, objc::sel(row.selector)) : nullptr;
            before.push_back(m ? m->imp : nullptr);
        }
        writeSettings(fresh, {{"isEnabled", flag(enabled)}});
        load(fresh);
        EXPECT_EQ(g().isEnabled, enabled);
        EXPECT_EQ(g().hooksInstalled, enabled);
        for (std::size_t i = 0; i < std::size(kRows); ++i) {
            const auto& row = kRows[i];
            SCOPED_TRACE(testing::Message() << row.cls << " " << row.selector << (enabled ? ", enabled, " : ", disabled, ") << omit.size() << " missing");
            objc::Class cls = objc::objc_getClass(row.cls);
            const bool omitted = std::find(omit.begin(), omit.end(), row.cls) != omit.end();
            EXPECT_EQ(cls == nullptr, omitted) << (omitted ? "was made, not found" : "is missing");
            if (!cls) continue;
            const objc::Method* m = cls->ownMethod(objc::sel(row.selector));
            const objc::Method* found = objc::class_getInstanceMethod(cls, objc::sel(row.selector));
            EXPECT_EQ(found ? found->imp : nullptr, enabled ? (m ? m->imp : nullptr) : before[i]);
            if (!enabled) continue;
            ASSERT_NE(m, nullptr);
            EXPECT_STREQ(m->types, row.types);
            EXPECT_NE(m->imp, before[i]) << "not replaced";
        }
        EXPECT_TRUE(!enabled || objc::objc_getClass("BLNotificationBanner")) << "the component's own classes are there";
        objc::Class springBoard = objc::objc_getClass("SpringBoard");
        if (!springBoard) continue;
        EXPECT_STREQ(objc::property_getAttributes(objc::class_getProperty(springBoard, "brimlight")), enabled ? "T@\"BLNotificationBanner\",&,N" : nullptr);
        EXPECT_STREQ(objc::property_getAttributes(objc::class_getProperty(springBoard, "bannerHeight")), enabled ? "Td,N" : nullptr);
    }
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
    for (const char* name : {zovorudovu::kCancelBannerTimer, zovorudovu::kStartBannerTimer, zovorudovu::kRequestBannerDismissal, "Zovorudovu_Unknown"})
        objc::send(centre, "postNotificationName:object:", text(name), nullptr);
    EXPECT_EQ(cancels, 1);
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(dismissals, 1);
    EXPECT_TRUE(lastAnimated) << "the system's banner slides away as it would on its own";
    EXPECT_TRUE(lastForce);
    // A new request while a banner is presented takes that banner down at once.
    std::vector<std::string> posted;
    NSNotificationCenter::defaultCenter()->setPostListener([&](const std::string& name) { posted.push_back(name); });
    for (bool presented : {false, true}) {
        bridge()->presented = presented;
        posted.clear();
        objc::send(object, "postNotificationRequest:", objc::send<objc::StrongId>(objc::objc_getClass("NCNotificationRequest"), "new"));
        EXPECT_EQ(std::count(posted.begin(), posted.end(), zovorudovu::kDismissAccelerated), presented ? 1 : 0);
    }
    object = nullptr;
    objc::send(centre, "postNotificationName:object:", text(zovorudovu::kCancelBannerTimer), nullptr);
    EXPECT_EQ(cancels, 1) << "a destination that ended hears nothing";
}

// Every replaced method still runs the one it replaced; the long look's hooks track whether it is up.
int previousRuns = 0;
void previousWithFlag(objc::id, objc::SEL, bool) { ++previousRuns; }
void previousWithObject(objc::id, objc::SEL, objc::id) { ++previousRuns; }

TEST_F(Startup, ReplacedMethodsCallWhatTheyReplaced)
{
    const struct {
        const char *cls, *selector;
        bool flag;
        int longLookUp; // longLookActivated afterwards, or -1 when not the long look's
    } rows[] = {
        {"NCNotificationLongLookViewController", "viewWillAppear:", true, 1},
        {"NCNotificationLongLookViewController", "viewWillDisappear:", true, 0},
        {"NCNotificationShortLookViewController", "viewWillDisappear:", true, -1},
        {"SBNotificationBannerDestination", "_dismissBannerCompleted:", false, -1},
        {"SBNotificationBannerDestination", "postNotificationRequest:", false, -1},
    };
    for (const auto& row : rows) {
        if (row.flag) objc::class_replaceMethod(objc::objc_getClass(row.cls), objc::sel(row.selector), previousWithFlag);
        else objc::class_replaceMethod(objc::objc_getClass(row.cls), objc::sel(row.selector), previousWithObject);
    }
    writeSettings({});
    load();
    for (const auto& row : rows) {
        objc::StrongId object = objc::send<objc::StrongId>(objc::objc_getClass(row.cls), "new");
        previousRuns = 0;
        if (row.flag) objc::send(object, row.selector, true);
        else objc::send(object, row.selector, objc::StrongId());
        EXPECT_EQ(previousRuns, 1) << row.cls << " " << row.selector;
        if (row.longLookUp >= 0) {
            EXPECT_EQ(bridge()->longLookActivated, row.longLookUp == 1) << row.selector;
        }
    }
}

} // namespace
