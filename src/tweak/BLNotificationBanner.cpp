#include "tweak/BLNotificationBanner.h"

#include "objc/Message.h"
#include "tweak/Helpers.h"
#include "tweak/NotificationNames.h"
#include "uikit/CGPath.h"
#include "uikit/NSLayoutConstraint.h"
#include "uikit/UIGestureRecognizer.h"

#include <algorithm>
#include <functional>

using objc::StrongId;
using objc::id;
using objc::SEL;
using objc::send;
using zovorudovu::bridge;
using zovorudovu::defaultCenter;
using zovorudovu::nameIs;
using zovorudovu::post;
using zovorudovu::string;

namespace {

// Window levels: above the status bar while shown, level with it while the long look is up.
constexpr double kStatusBarLevel = UIWindowLevelStatusBar;
constexpr double kHighLevel = UIWindowLevelStatusBar + 100.0;
// How far a drag must carry the banner, up or down, to dismiss or expand it.
constexpr double kDragThreshold = 25.0;
constexpr float kGestureAnimationDuration = 0.2f;

BLNotificationBanner* self_(id self) { return static_cast<BLNotificationBanner*>(self); }
objc::Class bannerClass() { return objc::objc_getClass(BLNotificationBanner::kClassName); }

StrongId make(const char* className, CGRect frame)
{
    return send<StrongId>(send<StrongId>(objc::objc_getClass(className), "alloc"), "initWithFrame:", frame);
}
StrongId systemFont(double size) { return send<StrongId>(objc::objc_getClass("UIFont"), "systemFontOfSize:", size); }

// ---- Construction ---------------------------------------------------------------------------

StrongId initWithFrame(id self, SEL, CGRect frame, id bg, id text)
{
    StrongId window = objc::sendSuper<StrongId>(self, bannerClass(), "initWithFrame:", frame);
    if (!window) return nullptr;
    BLNotificationBanner* banner = self_(window.get());
    banner->bgColour = StrongId(bg);
    banner->textColour = StrongId(text);

    StrongId centre = defaultCenter();
    send(centre, "addObserver:selector:name:object:", window, objc::sel("adjustWindowLevel:"), string(zovorudovu::kWindowLevelSetLow), nullptr);
    send(centre, "addObserver:selector:name:object:", window, objc::sel("adjustWindowLevel:"), string(zovorudovu::kWindowLevelSetHigh), nullptr);
    send(centre, "addObserver:selector:name:object:", window, objc::sel("updateContent"), string(zovorudovu::kUpdateContent), nullptr);

    const CGRect own = send<CGRect>(window, "frame");
    const double width = own.size.width, height = own.size.height;
    const float iconY = send<float>(bridge(), "safeYPos") + 5.0f;

    send(window, "setWindowLevel:", kHighLevel);
    send(window, "_setSecure:", false);

    banner->container = make("UIView", CGRectMake(10.0, 0.0, width - 20.0, height - 10.0));
    send(window, "addSubview:", banner->container);

    banner->iconView = make("UIImageView", CGRectMake(0.0, static_cast<double>(iconY), 20.0, 20.0));
    send(banner->container, "addSubview:", banner->iconView);

    if (send<bool>(bridge(), "showTimestamp")) {
        banner->date = make("UILabel", CGRectZero);
        send(banner->date, "setFont:", systemFont(12.0));
        send(banner->date, "setTranslatesAutoresizingMaskIntoConstraints:", false);
        send(banner->container, "addSubview:", banner->date);
    }

    banner->primary = make("UILabel", CGRectZero);
    send(banner->primary, "setFont:", systemFont(14.0));
    send(banner->primary, "setTranslatesAutoresizingMaskIntoConstraints:", false);
    send(banner->container, "addSubview:", banner->primary);

    banner->secondary = make("UILabel", CGRectZero);
    send(banner->secondary, "setFont:", systemFont(12.0));
    send(banner->secondary, "setLineBreakMode:", std::int64_t{0}); // by word wrapping
    send(banner->secondary, "setNumberOfLines:", std::int64_t{0});  // as many as it needs
    send(banner->container, "addSubview:", banner->secondary);

    banner->bottomSection = make("BLBottomGrabberView", CGRectZero);
    send(banner->bottomSection, "setClipsToBounds:", true);
    send(window, "addSubview:", banner->bottomSection);
    send(window, "sendSubviewToBack:", banner->bottomSection);

    banner->tapGestureRecognizer = send<StrongId>(send<StrongId>(objc::objc_getClass("UITapGestureRecognizer"), "alloc"), "initWithTarget:action:",
                                            window, objc::sel("handleTap"));
    send(window, "addGestureRecognizer:", banner->tapGestureRecognizer);
    send(banner->tapGestureRecognizer, "setDelegate:", window);

    banner->holdGestureRecognizer = send<StrongId>(send<StrongId>(objc::objc_getClass("UILongPressGestureRecognizer"), "alloc"), "init");
    send(banner->holdGestureRecognizer, "addTarget:action:", window, objc::sel("handleHoldExpansionRequest"));
    send(banner->holdGestureRecognizer, "setDelegate:", window);
    send(window, "addGestureRecognizer:", banner->holdGestureRecognizer);

    banner->panGesture = send<StrongId>(send<StrongId>(objc::objc_getClass("UIPanGestureRecognizer"), "alloc"), "initWithTarget:action:", window,
                                  objc::sel("handlePanGesture:"));
    send(window, "addGestureRecognizer:", banner->panGesture);
    return window;
}

// ---- Content --------------------------------------------------------------------------------

// An equality between two items' attributes. Attributes and relation travel as the integers the
// message's encoding names.
void addConstraint(BLNotificationBanner* banner, id item1, NSLayoutAttribute attribute1, id item2, NSLayoutAttribute attribute2, double constant)
{
    StrongId constraint = send<StrongId>(objc::objc_getClass("NSLayoutConstraint"), "constraintWithItem:attribute:relatedBy:toItem:attribute:multiplier:constant:",
                             item1, std::int64_t{attribute1}, std::int64_t{NSLayoutRelationEqual}, item2, std::int64_t{attribute2}, 1.0, constant);
    send(banner->container, "addConstraint:", constraint);
    banner->contentConstraints.push_back(constraint);
}

void updateContent(id self, SEL)
{
    BLNotificationBanner* banner = self_(self);
    StrongId keep(self);

    // 1. Icon.
    send(banner->iconView, "setImage:", send<StrongId>(bridge(), "icon"));

    // 2. Colours: taken from the icon in adaptive mode, when there is one; otherwise kept.
    if (send<bool>(bridge(), "adaptiveColours")) {
        if (StrongId image = send<StrongId>(banner->iconView, "image")) {
            send(bridge(), "getAverageColour:", image);
            banner->bgColour = send<StrongId>(bridge(), "adaptive_backgroundColour");
            banner->textColour = send<StrongId>(bridge(), "adaptive_textColour");
        }
    }

    // This update's constraints replace the previous update's, so they never pile up or conflict.
    for (const StrongId& constraint : banner->contentConstraints) send(banner->container, "removeConstraint:", constraint);
    banner->contentConstraints.clear();

    // 3. Timestamp, on the right edge and centred on the icon. A banner built without a timestamp
    // label has nothing to fill.
    const bool showTimestamp = send<bool>(bridge(), "showTimestamp");
    const bool timestamp = showTimestamp && banner->date;
    if (timestamp) {
        send(banner->date, "setText:", send<StrongId>(bridge(), "dateText"));
        send(banner->date, "sizeToFit");
        send(banner->date, "setTextColor:", banner->textColour);
        addConstraint(banner, banner->date.get(), NSLayoutAttributeRight, banner->container.get(), NSLayoutAttributeRight, 0.0);
        addConstraint(banner, banner->date.get(), NSLayoutAttributeCenterY, banner->iconView.get(), NSLayoutAttributeCenterY, 0.0);
    }

    // 4. Title, right of the icon and centred on it.
    send(banner->primary, "setText:", send<StrongId>(bridge(), "primaryText"));
    send(banner->primary, "setTextColor:", banner->textColour);
    addConstraint(banner, banner->primary.get(), NSLayoutAttributeLeft, banner->iconView.get(), NSLayoutAttributeRight, 5.0);
    addConstraint(banner, banner->primary.get(), NSLayoutAttributeCenterY, banner->iconView.get(), NSLayoutAttributeCenterY, 0.0);

    // 5. Title width: the container's, less the icon and the timestamp (or a small margin).
    const double iconRight = CGRectGetMaxX(send<CGRect>(banner->iconView, "frame"));
    double k;
    if (timestamp)
        k = 0.0 - iconRight - send<CGRect>(banner->date, "frame").size.width - 10.0;
    else
        k = 0.0 - iconRight - 5.0;
    addConstraint(banner, banner->primary.get(), NSLayoutAttributeWidth, banner->container.get(), NSLayoutAttributeWidth, k);

    // 6. Message, below the icon, across the container, as tall as its text up to the
    // container's bottom edge.
    const CGRect containerFrame = send<CGRect>(banner->container, "frame");
    const double messageY = CGRectGetMaxY(send<CGRect>(banner->iconView, "frame")) + 5.0;
    send(banner->secondary, "setFrame:", CGRectMake(0.0, messageY, containerFrame.size.width, 0.0));
    send(banner->secondary, "setText:", send<StrongId>(bridge(), "secondaryText"));
    send(banner->secondary, "setTextColor:", banner->textColour);
    const CGRect full = send<CGRect>(banner->secondary, "frame");
    send(banner->secondary, "sizeToFit");
    const CGRect fitted = send<CGRect>(banner->secondary, "frame");
    const double height = CGRectGetMaxY(fitted) < CGRectGetMaxY(containerFrame) ? fitted.size.height : containerFrame.size.height - fitted.origin.y;
    send(banner->secondary, "setFrame:", CGRectMake(full.origin.x, full.origin.y, full.size.width, height));

    // 7. Lower body: down to below the message, with room for the grabber when it is shown.
    const double messageBottom = CGRectGetMaxY(send<CGRect>(banner->secondary, "frame"));
    float bodyHeight = static_cast<float>(messageBottom + 20.0);
    if (!send<bool>(bridge(), "showGrabber")) bodyHeight = static_cast<float>(messageBottom + 10.0);

    // 8. Lower body frame and colour.
    const double windowWidth = send<CGRect>(self, "frame").size.width;
    send(banner->bottomSection, "setFrame:", CGRectMake(0.0, 0.0, windowWidth, static_cast<double>(bodyHeight)));
    send(banner->bottomSection, "setBackgroundColor:", banner->bgColour);

    // 9. Mask: square top corners, bottom corners rounded.
    banner->bottomMaskLayer = send<StrongId>(objc::objc_getClass("CAShapeLayer"), "layer");
    StrongId path = send<StrongId>(objc::objc_getClass("UIBezierPath"), "bezierPathWithRoundedRect:byRoundingCorners:cornerRadii:",
                       send<CGRect>(banner->bottomSection, "bounds"), std::uint64_t{4 | 8}, CGSizeMake(23.0, 23.0));
    send(banner->bottomMaskLayer, "setPath:", send<CGPathRef>(path, "CGPath"));
    send(send<StrongId>(banner->bottomSection, "layer"), "setMask:", banner->bottomMaskLayer);
}

// ---- Gestures and animation -----------------------------------------------------------------

void animateSetFrame(id self, SEL, CGRect frame, float duration, bool shouldDismiss)
{
    StrongId window(self);
    send(objc::objc_getClass("UIView"), "animateWithDuration:animations:completion:", static_cast<double>(duration),
         std::function<void()>([window, frame] { send(window, "setFrame:", frame); }),
         std::function<void(bool)>([window, shouldDismiss](bool) {
             if (shouldDismiss) send(window, "handleDismissalRequest");
         }));
}

void handleExpansionRequest(id self, SEL)
{
    CGRect frame = send<CGRect>(self, "frame");
    frame.origin.y = offScreenOriginY(self, frame.size.height);
    send(self, "animateSetFrame:withDuration:shouldDismiss:", frame, kGestureAnimationDuration, false);
    post(zovorudovu::kExpand);
}

// A slide-out that ends after its banner was withdrawn (a newer notification took its place, so
// the window was hidden) or after the banner was dismissed some other way (nothing is presented
// any more) asks for nothing: its dismissal would take down the wrong banner or start a second
// chain for the same one.
void handleDismissalRequest(id self, SEL)
{
    if (send<bool>(self, "isHidden")) return;
    if (!send<bool>(bridge(), "presented")) return;
    post(zovorudovu::kDismiss);
}

void updateFramesToFitInBounds(id self, SEL)
{
    const CGRect frame = send<CGRect>(self, "frame");
    if (frame.origin.y < -kDragThreshold) {
        CGRect target = frame;
        target.origin.y = offScreenOriginY(self, frame.size.height);
        send(self, "animateSetFrame:withDuration:shouldDismiss:", target, kGestureAnimationDuration, true);
    }
    if (frame.origin.y > kDragThreshold) {
        send(bridge(), "setLongLookActivationMethodWasSwipe:", true);
        send(self, "handleExpansionRequest");
    }
}

void snapBack(id self)
{
    CGRect frame = send<CGRect>(self, "frame");
    frame.origin.y = 0.0;
    send(self, "animateSetFrame:withDuration:shouldDismiss:", frame, kGestureAnimationDuration, false);
}

void handlePanGesture(id self, SEL, id recognizer)
{
    if (send<bool>(bridge(), "longLookActivated")) return;
    StrongId keep(self);

    const CGPoint translation = send<CGPoint>(recognizer, "translationInView:", self);
    const CGPoint centre = send<CGPoint>(send<StrongId>(recognizer, "view"), "center");
    send(self, "setCenter:", CGPointMake(centre.x, centre.y + translation.y));
    send(recognizer, "setTranslation:inView:", CGPointMake(0.0, 0.0), self);

    const double y = send<CGRect>(self, "frame").origin.y;
    switch (static_cast<UIGestureRecognizerState>(send<std::int64_t>(recognizer, "state"))) {
    case UIGestureRecognizerStateBegan:
        // The first movement past the recogniser's slop arrives as Began: the timer pauses from
        // there, or a finger that stops at once would hold a banner the timer then takes away.
        post(zovorudovu::kCancelBannerTimer);
        break;
    case UIGestureRecognizerStateChanged:
        // Pulled far enough down, the banner expands without waiting for the release.
        if (y > kDragThreshold) send(self, "updateFramesToFitInBounds");
        post(zovorudovu::kCancelBannerTimer);
        break;
    case UIGestureRecognizerStateEnded:
        // A release exactly on a threshold snaps back: settling acts only beyond them.
        if (y > kDragThreshold || y < -kDragThreshold) send(self, "updateFramesToFitInBounds");
        else snapBack(self);
        post(zovorudovu::kStartBannerTimer);
        break;
    case UIGestureRecognizerStateCancelled:
    case UIGestureRecognizerStateFailed:
        // An interrupted drag must not leave the banner out of place with the system's timer stopped.
        snapBack(self);
        post(zovorudovu::kStartBannerTimer);
        break;
    default:
        break;
    }
}

void handleTap(id, SEL) { post(zovorudovu::kExecuteTapAction); }

// A hold expands once, when it is recognised; moving or lifting the finger afterwards does not
// ask again.
void handleHoldExpansionRequest(id self, SEL)
{
    if (send<std::int64_t>(self_(self)->holdGestureRecognizer, "state") != UIGestureRecognizerStateBegan) return;
    send(bridge(), "setLongLookActivationMethodWasSwipe:", false);
    send(self, "handleExpansionRequest");
}

void adjustWindowLevel(id self, SEL, id notification)
{
    if (nameIs(notification, zovorudovu::kWindowLevelSetLow)) send(self, "setWindowLevel:", kStatusBarLevel);
    else if (nameIs(notification, zovorudovu::kWindowLevelSetHigh)) send(self, "setWindowLevel:", kHighLevel);
}

// ---- Accessors ------------------------------------------------------------------------------

#define BANNER_FIELDS(X)                                                                                                   \
    X(bottomMaskLayer, "setBottomMaskLayer:")                                                                              \
    X(panGesture, "setPanGesture:")                                                                                        \
    X(tapGestureRecognizer, "setTapGestureRecognizer:")                                                                    \
    X(holdGestureRecognizer, "setHoldGestureRecognizer:")                                                                  \
    X(iconView, "setIconView:")                                                                                            \
    X(primary, "setPrimary:")                                                                                              \
    X(secondary, "setSecondary:")                                                                                          \
    X(date, "setDate:")                                                                                                    \
    X(container, "setContainer:")                                                                                          \
    X(bgColour, "setBgColour:")                                                                                            \
    X(textColour, "setTextColour:")                                                                                        \
    X(bottomSection, "setBottomSection:")
#define BANNER_ACCESSORS(field, setter)                                                                                    \
    StrongId get_##field(id self, SEL) { return self_(self)->field; }                                                            \
    void set_##field(id self, SEL, id value) { self_(self)->field = StrongId(value); }
BANNER_FIELDS(BANNER_ACCESSORS)
#undef BANNER_ACCESSORS

} // namespace

void registerBLNotificationBanner(objc::Runtime& runtime)
{
    // The allocator's only branches are the compiler's: the check, on the way out of a throwing
    // window constructor, of whether the memory must still be freed. No caller decides anything there.
    objc::Class cls = runtime.registerClass(BLNotificationBanner::kClassName, objc::objc_getClass("UIWindow"),
                                            []() -> objc::Object* { return new BLNotificationBanner(); }); // GCOVR_EXCL_BR_LINE
    objc::addMethod(cls, objc::sel("initWithFrame:bgColour:textColour:"), initWithFrame);
    objc::addMethod(cls, objc::sel("updateContent"), updateContent);
    objc::addMethod(cls, objc::sel("handlePanGesture:"), handlePanGesture);
    objc::addMethod(cls, objc::sel("handleTap"), handleTap);
    objc::addMethod(cls, objc::sel("handleHoldExpansionRequest"), handleHoldExpansionRequest);
    objc::addMethod(cls, objc::sel("updateFramesToFitInBounds"), updateFramesToFitInBounds);
    objc::addMethod(cls, objc::sel("handleExpansionRequest"), handleExpansionRequest);
    objc::addMethod(cls, objc::sel("handleDismissalRequest"), handleDismissalRequest);
    objc::addMethod(cls, objc::sel("animateSetFrame:withDuration:shouldDismiss:"), animateSetFrame);
    objc::addMethod(cls, objc::sel("adjustWindowLevel:"), adjustWindowLevel);
#define REGISTER_ACCESSORS(field, setter)                                                                                  \
    objc::addMethod(cls, objc::sel(#field), get_##field);                                                                  \
    objc::addMethod(cls, objc::sel(setter), set_##field);
    BANNER_FIELDS(REGISTER_ACCESSORS)
#undef REGISTER_ACCESSORS
}

double offScreenOriginY(id banner, double windowHeight)
{
    // The body hangs from the window's top edge and may reach below the window (a long message).
    const double bodyBottom = banner ? CGRectGetMaxY(send<CGRect>(send<StrongId>(banner, "bottomSection"), "frame")) : 0.0;
    return -std::max(windowHeight, bodyBottom);
}
