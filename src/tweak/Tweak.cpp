#include "tweak/Tweak.h"

#include "foundation/DarwinNotifyCenter.h"
#include "foundation/Process.h"
#include "objc/Message.h"
#include "substrate/Substrate.h"
#include "tweak/BLBottomGrabberView.h"
#include "tweak/BLNotificationBanner.h"
#include "tweak/BLNotificationBridge.h"
#include "tweak/Helpers.h"
#include "tweak/UIColor+Conversion.h"
#include "tweak/UIImageAverageColorAddition.h"
#include "uikit/CGGeometry.h"
#include "uikit/UIColor.h"

#include <algorithm>
#include <functional>

using objc::Class;
using objc::StrongId;
using objc::id;
using objc::SEL;
using objc::send;

namespace zovorudovu {

namespace {

// The saved previous implementations, one per replaced method. Each is written once, by the
// hooking library, before any call can reach its replacement.
struct Slots {
    void (*statusBarLayoutSubviews)(id, SEL) = nullptr;
    StrongId (*bannerWindowInitWithFrame)(id, SEL, CGRect) = nullptr;
    void (*shortLookViewDidLoad)(id, SEL) = nullptr;
    void (*shortLookViewWillDisappear)(id, SEL, bool) = nullptr;
    void (*longLookViewWillAppear)(id, SEL, bool) = nullptr;
    void (*longLookViewWillDisappear)(id, SEL, bool) = nullptr;
    void (*shortLookViewLayoutSubviews)(id, SEL) = nullptr;
    StrongId (*destinationInit)(id, SEL) = nullptr;
    void (*destinationPostNotificationRequest)(id, SEL, id) = nullptr;
    void (*destinationDismissBannerCompleted)(id, SEL, id) = nullptr;
    void (*springBoardDidFinishLaunching)(id, SEL, id) = nullptr;
};

struct State {
    Globals globals;
    Slots slots;
};

State& state() { return zovo::Process::current().local<State>(); }
Slots& slots() { return state().slots; }
void observe(id observer, const char* selector, const char* name)
{
    send(defaultCenter(), "addObserver:selector:name:object:", observer, objc::sel(selector), string(name), nullptr);
}
void animate(double duration, std::function<void()> animations, std::function<void(bool)> completion)
{
    send(objc::objc_getClass("UIView"), "animateWithDuration:animations:completion:", duration, std::move(animations), std::move(completion));
}

// ---- Settings --------------------------------------------------------------------------

// A value of the settings file read as a flag or a number. A value of another kind (an array,
// say) cannot answer and counts as absent.
bool respondsToValue(id value, const char* selector) { return value && objc::respondsTo(value, objc::sel(selector)); }

objc::StrongRef<UIColor> colourSetting(id value, objc::StrongRef<UIColor> fallback)
{
    // Only text is a colour; anything else counts as absent.
    if (!objc::isKindOf(value, objc::objc_getClass("NSString"))) return fallback;
    StrongId hex(value);
    float alpha = 1.0f;
    StrongId colon = string(":");
    if (send<bool>(value, "containsString:", colon)) {
        StrongId pieces = send<StrongId>(value, "componentsSeparatedByString:", colon);
        hex = send<StrongId>(pieces, "objectAtIndex:", std::uint64_t{0});
        alpha = send<float>(send<StrongId>(pieces, "objectAtIndex:", std::uint64_t{1}), "floatValue");
    }
    StrongId colour = send<StrongId>(objc::objc_getClass("UIColor"), "getUIColorObjectFromHexString:alpha:", hex, static_cast<double>(alpha));
    return objc::StrongRef<UIColor>(objc::cast<UIColor>(colour));
}

// ---- SpringBoard properties -------------------------------------------------------------

StrongId brimlight(id self, SEL);
double bannerHeight(id self, SEL);
// Each property's association key is the address of its own getter.
const void* brimlightKey() { return reinterpret_cast<const void*>(&brimlight); }
const void* bannerHeightKey() { return reinterpret_cast<const void*>(&bannerHeight); }

StrongId brimlight(id self, SEL) { return objc::objc_getAssociatedObject(self, brimlightKey()); }
void setBrimlight(id self, SEL, id window)
{
    objc::objc_setAssociatedObject(self, brimlightKey(), window, objc::AssociationPolicy::RetainNonatomic);
}
double bannerHeight(id self, SEL)
{
    double height = 0;
    StrongId box = objc::objc_getAssociatedObject(self, bannerHeightKey());
    send(box, "getValue:", static_cast<void*>(&height));
    return height;
}
void setBannerHeight(id self, SEL, double height)
{
    StrongId box = send<StrongId>(objc::objc_getClass("NSValue"), "valueWithBytes:objCType:", static_cast<const void*>(&height), "d");
    objc::objc_setAssociatedObject(self, bannerHeightKey(), box.get(), objc::AssociationPolicy::RetainNonatomic);
}

// ---- SpringBoard: presentation -----------------------------------------------------------

void applicationDidFinishLaunching(id self, SEL cmd, id application)
{
    slots().springBoardDidFinishLaunching(self, cmd, application);
    observe(self, "showBrimlight:", kPresent);
    observe(self, "dismissBrimlight:", kDismiss);
    observe(self, "dismissBrimlight:", kDismissAccelerated);
    bridge()->notchWidthForCurrentDeviceModel();
    send(self, "setBannerHeight:", 120.0);
}

void showBrimlight(id self, SEL, id)
{
    bridge()->notchWidthForCurrentDeviceModel();
    // No wider than the screen in portrait: a wider banner (a custom width meant for a bigger
    // phone) would squeeze the title and push the timestamp off the screen's sides.
    const CGSize screen = send<CGRect>(send<StrongId>(objc::objc_getClass("UIScreen"), "mainScreen"), "bounds").size;
    const double chosen = bridge()->customWidth ? bridge()->customWidthValue : bridge()->notchWidth;
    const double width = std::min(chosen, std::min(screen.width, screen.height));
    const double height = send<double>(self, "bannerHeight");
    Globals& g = globals();
    StrongId window = send<StrongId>(send<StrongId>(objc::objc_getClass("BLNotificationBanner"), "alloc"), "initWithFrame:bgColour:textColour:",
                         CGRectMake(0, -height, width, height), g.bgColour, g.textColour);
    send(self, "setBrimlight:", window);
    const double cx = send<CGRect>(send<StrongId>(objc::objc_getClass("UIScreen"), "mainScreen"), "bounds").size.width / 2.0;
    send(window, "setCenter:", CGPointMake(cx, send<CGPoint>(window, "center").y));
    send(window, "makeKeyAndVisible");
    StrongId app(self);
    animate(0.3, [app] {
        StrongId current = send<StrongId>(app, "brimlight");
        CGRect frame = send<CGRect>(current, "frame");
        frame.origin.y = 0;
        send(current, "setFrame:", frame);
    }, nullptr);
    bridge()->presented = true;
}

void dismissBrimlight(id self, SEL, id notification)
{
    if (nameIs(notification, kDismissAccelerated)) {
        // Hidden as well as dropped: a slide-out of this window still under way must know, when it
        // ends, that the banner on screen is no longer its own.
        StrongId withdrawn = send<StrongId>(self, "brimlight");
        send(withdrawn, "setHidden:", true);
        send(withdrawn, "removeFromSuperview");
        send(self, "setBrimlight:", nullptr);
        return;
    }
    StrongId app(self);
    // The completion takes down the window this dismissal slid out. A newer banner presented
    // while it slid is spared and stays owned.
    StrongId slidOut = send<StrongId>(self, "brimlight");
    animate(0.3, [app] {
        StrongId current = send<StrongId>(app, "brimlight");
        CGRect frame = send<CGRect>(current, "frame");
        frame.origin.y = offScreenOriginY(current.get(), send<double>(app, "bannerHeight"));
        send(current, "setFrame:", frame);
    }, [app, slidOut](bool) {
        send(slidOut, "removeFromSuperview");
        if (send<StrongId>(app, "brimlight") == slidOut) send(app, "setBrimlight:", nullptr);
    });
    bridge()->presented = false;
    post(kRequestBannerDismissal);
}

// ---- Content capture ----------------------------------------------------------------------

const char tapRegistrationKey = 0;

void shortLookViewLayoutSubviews(id self, SEL cmd)
{
    slots().shortLookViewLayoutSubviews(self, cmd);
    ancestryCheck(self);
    if (!globals().isBanner) return;
    checkOrientation();
    if (globals().isLandscape) return;
    // A banner that the component did not present (its controller loaded in landscape and the
    // screen turned since, or a newer banner took its place) keeps the system's view: hiding it
    // would leave the notification shown nowhere.
    if (!bridge()->presented) return;
    if (send<StrongId>(self, "_viewControllerForAncestor").get() != globals().presentingController.get()) return;
    // One registration per view, however many layout passes it gets, so that one tap performs
    // the tap action once.
    if (!objc::objc_getAssociatedObject(self, &tapRegistrationKey)) {
        observe(self, "fakeActivateTapGesture:", kExecuteTapAction);
        objc::objc_setAssociatedObject(self, &tapRegistrationKey, string("registered").get(), objc::AssociationPolicy::RetainNonatomic);
    }
    // With no icon the shared icon becomes none and the capture goes on.
    bridge()->icon = send<StrongId>(send<StrongId>(self, "icons"), "firstObject");
    StrongId provisionalTitle;
    StrongId subviews = send<StrongId>(self, "subviews");
    const std::uint64_t count = send<std::uint64_t>(subviews, "count");
    for (std::uint64_t i = 0; i < count; ++i) {
        StrongId subview = send<StrongId>(subviews, "objectAtIndex:", i);
        if (!objc::respondsTo(subview, objc::sel("setDateFormatStyle:"))) continue;
        provisionalTitle = send<StrongId>(subview, "title");
        bridge()->dateText = send<StrongId>(send<StrongId>(subview, "_dateLabel"), "text");
    }
    StrongId primary = send<StrongId>(self, "primaryText");
    StrongId title = send<std::uint64_t>(primary, "length") > 0 ? primary : provisionalTitle;
    StrongId secondary = send<StrongId>(self, "secondaryText");
    StrongId message = send<std::uint64_t>(secondary, "length") > 0 ? secondary : send<StrongId>(self, "primarySubtitleText");
    bridge()->primaryText = title;
    bridge()->secondaryText = message;
    post(kUpdateContent);
    send(self, "setHidden:", true);
}

void fakeActivateTapGesture(id self, SEL, id)
{
    StrongId recognizer = send<StrongId>(send<StrongId>(self, "gestureRecognizers"), "lastObject");
    send(recognizer, "tapRecognizerRecognizedTap:", nullptr);
}

// ---- Banner destination ------------------------------------------------------------------

StrongId destinationInit(id self, SEL cmd)
{
    observe(self, "_cancelDismissTimer", kCancelBannerTimer);
    observe(self, "_startDismissTimer", kStartBannerTimer);
    observe(self, "ensureBannerGetsDismissed", kRequestBannerDismissal);
    return slots().destinationInit(self, cmd);
}

void destinationPostNotificationRequest(id self, SEL cmd, id request)
{
    slots().destinationPostNotificationRequest(self, cmd, request);
    if (bridge()->presented) post(kDismissAccelerated);
}

void destinationDismissBannerCompleted(id self, SEL cmd, id argument)
{
    slots().destinationDismissBannerCompleted(self, cmd, argument);
    if (bridge()->presented) post(kDismiss);
}

void ensureBannerGetsDismissed(id self, SEL)
{
    send(self, "_dismissPresentedBannerAnimated:reason:forceIfSticky:", true, nullptr, true);
}

// ---- System banner window, long look, status bar -----------------------------------------

void statusBarLayoutSubviews(id self, SEL cmd)
{
    slots().statusBarLayoutSubviews(self, cmd);
    bridge()->safeYPos = static_cast<float>(CGRectGetMaxY(send<CGRect>(self, "frame")) - 15.0);
}

StrongId bannerWindowInitWithFrame(id self, SEL cmd, CGRect frame)
{
    checkOrientation();
    if (globals().isLandscape) return slots().bannerWindowInitWithFrame(self, cmd, frame);
    observe(self, "toggleInteraction:", kBannerWindowTouchable);
    observe(self, "toggleInteraction:", kBannerWindowUntouchable);
    send(self, "setUserInteractionEnabled:", false);
    return slots().bannerWindowInitWithFrame(self, cmd, frame);
}

void toggleInteraction(id self, SEL, id notification)
{
    if (nameIs(notification, kBannerWindowTouchable)) send(self, "setUserInteractionEnabled:", true);
    else if (nameIs(notification, kBannerWindowUntouchable)) send(self, "setUserInteractionEnabled:", false);
}

void shortLookViewDidLoad(id self, SEL cmd)
{
    slots().shortLookViewDidLoad(self, cmd);
    ancestryCheck(send<StrongId>(self, "view").get());
    if (!globals().isBanner) return;
    checkOrientation();
    if (globals().isLandscape) return;
    observe(self, "expandContent:", kExpand);
    globals().presentingController = objc::WeakRef<objc::Object>(self);
    post(kPresent);
}

void shortLookViewWillDisappear(id self, SEL cmd, bool animated)
{
    slots().shortLookViewWillDisappear(self, cmd, animated);
    ancestryCheck(send<StrongId>(self, "view").get());
    if (globals().isBanner) send(self, "adjustForLongLook:", false);
}

void expandContent(id self, SEL, id)
{
    ancestryCheck(send<StrongId>(self, "view").get());
    if (!globals().isBanner) return;
    send(self, "adjustForLongLook:", true);
    if (bridge()->longLookActivationMethodWasSwipe)
        send(self, "_presentLongLookForScrollAnimated:completion:", true, std::function<void()>());
    else
        send(self, "_presentLongLookViaClickPresentationInteraction:", nullptr);
}

void adjustForLongLook(id, SEL, bool flag)
{
    post(flag ? kBannerWindowTouchable : kBannerWindowUntouchable);
    post(flag ? kWindowLevelSetLow : kWindowLevelSetHigh);
}

void longLookViewWillAppear(id self, SEL cmd, bool animated)
{
    slots().longLookViewWillAppear(self, cmd, animated);
    bridge()->longLookActivated = true;
}

void longLookViewWillDisappear(id self, SEL cmd, bool animated)
{
    slots().longLookViewWillDisappear(self, cmd, animated);
    bridge()->longLookActivated = false;
}

// ---- Start-up ----------------------------------------------------------------------------

void prefsChanged(CFNotificationCenterRef, void*, CFStringRef, const void*, CFDictionaryRef) { loadPrefs(); }

// Type encodings of the methods the component adds: actions with and without an argument, and
// the accessors of its two properties on the app object.
constexpr const char* kActionEncoding = "v@:";
constexpr const char* kObjectActionEncoding = "v@:@";
constexpr const char* kFlagActionEncoding = "v@:B";
constexpr const char* kObjectGetterEncoding = "@@:";
constexpr const char* kDoubleGetterEncoding = "d@:";
constexpr const char* kDoubleSetterEncoding = "v@:d";

void installHooks()
{
    Slots& s = slots();
    // Each class is looked up once, before its first row. A class the host lacks has its rows
    // skipped; the others are applied.
    if (Class c = objc::objc_getClass("_UIStatusBarForegroundView")) {
        MSHookMessageEx(c, objc::sel("layoutSubviews"), statusBarLayoutSubviews, &s.statusBarLayoutSubviews);
    }
    if (Class c = objc::objc_getClass("SBBannerWindow")) {
        MSHookMessageEx(c, objc::sel("initWithFrame:"), bannerWindowInitWithFrame, &s.bannerWindowInitWithFrame);
        objc::class_addMethod(c, objc::sel("toggleInteraction:"), toggleInteraction, kObjectActionEncoding);
    }
    if (Class c = objc::objc_getClass("NCNotificationShortLookViewController")) {
        MSHookMessageEx(c, objc::sel("viewDidLoad"), shortLookViewDidLoad, &s.shortLookViewDidLoad);
        MSHookMessageEx(c, objc::sel("viewWillDisappear:"), shortLookViewWillDisappear, &s.shortLookViewWillDisappear);
        objc::class_addMethod(c, objc::sel("expandContent:"), expandContent, kObjectActionEncoding);
        objc::class_addMethod(c, objc::sel("adjustForLongLook:"), adjustForLongLook, kFlagActionEncoding);
    }
    if (Class c = objc::objc_getClass("NCNotificationLongLookViewController")) {
        MSHookMessageEx(c, objc::sel("viewWillAppear:"), longLookViewWillAppear, &s.longLookViewWillAppear);
        MSHookMessageEx(c, objc::sel("viewWillDisappear:"), longLookViewWillDisappear, &s.longLookViewWillDisappear);
    }
    if (Class c = objc::objc_getClass("NCNotificationShortLookView")) {
        MSHookMessageEx(c, objc::sel("layoutSubviews"), shortLookViewLayoutSubviews, &s.shortLookViewLayoutSubviews);
        objc::class_addMethod(c, objc::sel("fakeActivateTapGesture:"), fakeActivateTapGesture, kObjectActionEncoding);
    }
    if (Class c = objc::objc_getClass("SBNotificationBannerDestination")) {
        MSHookMessageEx(c, objc::sel("init"), destinationInit, &s.destinationInit);
        MSHookMessageEx(c, objc::sel("postNotificationRequest:"), destinationPostNotificationRequest, &s.destinationPostNotificationRequest);
        MSHookMessageEx(c, objc::sel("_dismissBannerCompleted:"), destinationDismissBannerCompleted, &s.destinationDismissBannerCompleted);
        objc::class_addMethod(c, objc::sel("ensureBannerGetsDismissed"), ensureBannerGetsDismissed, kActionEncoding);
    }
    if (Class c = objc::objc_getClass("SpringBoard")) {
        const objc::PropertyAttribute brimlightAttributes[] = {{"T", "@\"BLNotificationBanner\""}, {"&", ""}, {"N", ""}};
        objc::class_addProperty(c, "brimlight", brimlightAttributes, 3);
        objc::class_addMethod(c, objc::sel("brimlight"), brimlight, kObjectGetterEncoding);
        objc::class_addMethod(c, objc::sel("setBrimlight:"), setBrimlight, kObjectActionEncoding);
        const objc::PropertyAttribute heightAttributes[] = {{"T", "d"}, {"N", ""}};
        objc::class_addProperty(c, "bannerHeight", heightAttributes, 2);
        objc::class_addMethod(c, objc::sel("bannerHeight"), bannerHeight, kDoubleGetterEncoding);
        objc::class_addMethod(c, objc::sel("setBannerHeight:"), setBannerHeight, kDoubleSetterEncoding);
        MSHookMessageEx(c, objc::sel("applicationDidFinishLaunching:"), applicationDidFinishLaunching, &s.springBoardDidFinishLaunching);
        objc::class_addMethod(c, objc::sel("showBrimlight:"), showBrimlight, kObjectActionEncoding);
        objc::class_addMethod(c, objc::sel("dismissBrimlight:"), dismissBrimlight, kObjectActionEncoding);
    }
    globals().hooksInstalled = true;
}

} // namespace

Globals& globals() { return state().globals; }

void initPrefs()
{
    StrongId files = send<StrongId>(objc::objc_getClass("NSFileManager"), "defaultManager");
    if (send<bool>(files, "fileExistsAtPath:", string(kSettingsPathForCopy))) return;
    send<bool>(files, "copyItemAtPath:toPath:error:", string(kDefaultsPath), string(kSettingsPathForCopy), static_cast<id*>(nullptr));
}

void loadPrefs()
{
    Globals& g = globals();
    StrongId prefs = send<StrongId>(send<StrongId>(objc::objc_getClass("NSMutableDictionary"), "alloc"), "initWithContentsOfFile:", string(kSettingsPath));
    auto value = [&](const char* key) { return send<StrongId>(prefs, "objectForKey:", string(key)); };
    auto flag = [&](const char* key, bool fallback) {
        StrongId v = value(key);
        return respondsToValue(v.get(), "boolValue") ? send<bool>(v, "boolValue") : fallback;
    };
    if (prefs) g.isEnabled = flag("isEnabled", true);
    g.bgColour = colourSetting(value("bgColour").get(), UIColor::blackColor());
    g.textColour = colourSetting(value("textColour").get(), UIColor::whiteColor());
    BLNotificationBridge* shared = BLNotificationBridge::sharedInstance();
    shared->adaptiveColours = flag("adaptiveColours", false);
    shared->showGrabber = flag("showGrabber", true);
    shared->showTimestamp = flag("showTimestamp", true);
    shared->customWidth = flag("customWidth", false);
    StrongId width = value("customWidthValue");
    // The width is checked in double precision before it is narrowed, so a huge number never
    // reaches the float conversion; NaN fails the check too.
    const bool usable = respondsToValue(width.get(), "doubleValue") && isUsableCustomWidth(send<double>(width, "doubleValue"));
    shared->customWidthValue = usable ? send<float>(width, "floatValue") : kDefaultCustomWidthValue;
}

void checkOrientation()
{
    StrongId screen = send<StrongId>(objc::objc_getClass("UIScreen"), "mainScreen");
    const double width = send<CGRect>(screen, "bounds").size.width;
    const double height = send<CGRect>(screen, "bounds").size.height;
    globals().isLandscape = width > height;
}

void ancestryCheck(id view)
{
    Globals& g = globals();
    g.isBanner = true;
    StrongId controller = send<StrongId>(view, "_viewControllerForAncestor");
    if (!objc::respondsTo(controller, objc::sel("delegate"))) {
        g.isBanner = false;
        return;
    }
    StrongId delegate = send<StrongId>(send<StrongId>(view, "_viewControllerForAncestor"), "delegate");
    if (!g.bannerDestinationClass) g.bannerDestinationClass = objc::objc_getClass("SBNotificationBannerDestination");
    if (!objc::isKindOf(delegate, g.bannerDestinationClass)) g.isBanner = false;
}

void initialiser(int, char**, char**)
{
    CFNotificationCenterAddObserver(CFNotificationCenterGetDarwinNotifyCenter(), nullptr, prefsChanged,
                                    CFSTR(ZOVORUDOVU_PREFS_UPDATED), nullptr, CFNotificationSuspensionBehaviorCoalesce);
    initPrefs();
    loadPrefs();
    if (!globals().isEnabled) return;
    installHooks();
}

zovo::DynamicLibrary library() { return {kInstallPath, registerClasses, initialiser}; }

void registerClasses(objc::Runtime& runtime)
{
    registerBLNotificationBridge(runtime);
    registerUIColorConversion(runtime);
    registerUIImageAverageColorAddition(runtime);
    registerBLBottomGrabberView(runtime);
    registerBLNotificationBanner(runtime);
}

} // namespace zovorudovu
