#include "springboard/SBNotificationBannerDestination.h"

#include "foundation/NSString.h"
#include "foundation/Process.h"
#include "objc/Message.h"
#include "springboard/HostDefaults.h"
#include "springboard/HostSupport.h"
#include "springboard/NCNotificationLongLookViewController.h"
#include "springboard/NCNotificationRequest.h"
#include "springboard/NCNotificationShortLookView.h"
#include "springboard/NCNotificationShortLookViewController.h"
#include "springboard/SBBannerWindow.h"
#include "uikit/UIScreen.h"

#include <algorithm>
#include <stdexcept>
#include <string>

using objc::StrongId;
using objc::id;
using objc::SEL;
using objc::send;

namespace {

constexpr const char* kDismissSelector = "_dismissPresentedBannerAnimated:reason:forceIfSticky:";

SBNotificationBannerDestination* destination(id self) { return static_cast<SBNotificationBannerDestination*>(self); }
zovo::RunLoop& runLoop() { return zovo::Process::current().mainRunLoop(); }

// The card's frame on a screen of the current orientation: kBannerMargin from the sides (at most
// kBannerMaxWidth wide, centred), under the status bar in portrait.
CGRect cardFrame(double height)
{
    const CGRect screen = UIScreen::mainScreen()->bounds();
    const bool portrait = screen.size.width <= screen.size.height;
    const double top = portrait ? UIScreen::mainScreen()->device().statusBarHeight : zovo::kBannerMargin;
    return zovo::host::cardFrameOnScreen(screen, top, height);
}

void layOut(const StrongId& view)
{
    send(view, "setNeedsLayout");
    send(view, "layoutIfNeeded");
}

} // namespace

SBNotificationBannerDestination::SBNotificationBannerDestination() = default;

SBNotificationBannerDestination::~SBNotificationBannerDestination()
{
    if (timer_ != 0)
        if (zovo::Process* process = zovo::Process::currentOrNull()) process->mainRunLoop().cancel(timer_);
}

void SBNotificationBannerDestination::postNotificationRequest(id request)
{
    auto* r = objc::cast<NCNotificationRequest>(request);
    if (!request) return;
    if (!r) throw std::invalid_argument(std::string("postNotificationRequest: the request is an instance of ") + request->className() +
                                        ", not NCNotificationRequest");
    zovo::host::recordHostEvent("requestReceived", r->identifier);
    queue_.emplace_back(r);
    if (phase_ == Phase::Presented && !longLook_) send(this, kDismissSelector, true, NSString::from("newRequest"), true);
    else schedulePresentation();
}

// GCC 12 reports a use after free inside the weak reference's release when a lambda holding one
// is moved into the run loop; the reference count guards it, as in UIView's layout scheduling.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuse-after-free"

void SBNotificationBannerDestination::schedulePresentation()
{
    if (phase_ != Phase::Idle || queue_.empty() || presentationScheduled_) return;
    presentationScheduled_ = true;
    objc::WeakRef<SBNotificationBannerDestination> weak(this);
    runLoop().perform([weak] {
        if (auto self = weak.lock()) self->presentNext();
    });
}

void SBNotificationBannerDestination::presentNext()
{
    using namespace zovo::host;
    presentationScheduled_ = false;
    if (phase_ != Phase::Idle || queue_.empty()) return;
    objc::StrongRef<SBNotificationBannerDestination> keep(this);
    current_ = queue_.front();
    queue_.pop_front();
    phase_ = Phase::Presented;
    ++serial_;

    // The window comes first and is sized once the card knows its height.
    const CGRect screen = UIScreen::mainScreen()->bounds();
    const CGRect provisional = CGRectMake(0, 0, screen.size.width, cardFrame(0).origin.y);
    window_ = objc::cast<SBBannerWindow>(send<StrongId>(alloc(classes().bannerWindow), "initWithFrame:", provisional));

    StrongId controller = send<StrongId>(alloc(classes().shortLookController), "initWithNotificationRequest:", current_);
    shortLook_ = objc::retained(objc::cast<NCNotificationShortLookViewController>(controller));
    send(controller, "setDelegate:", this);
    StrongId view = send<StrongId>(controller, "view");

    auto* card = objc::cast<NCNotificationShortLookView>(view);
    const CGRect cardRect = cardFrame(card ? card->sizeThatFits(CGSizeMake(cardFrame(0).size.width, 0)).height : 0);
    const CGRect windowRect = CGRectMake(0, 0, screen.size.width, CGRectGetMaxY(cardRect) + zovo::kBannerMargin);
    send(window_, "setFrame:", windowRect);
    send(view, "setFrame:", cardRect);
    send(window_, "addSubview:", view);
    send(controller, "viewWillAppear:", true);

    static_assert(zovo::kShortLookLayoutPasses == 2, "one pass as the card is placed, one as the window appears");
    layOut(view);
    // The window appears above the screen and slides down into place.
    CGRect above = windowRect;
    above.origin.y = -windowRect.size.height;
    send(window_, "setFrame:", above);
    send(window_, "makeKeyAndVisible");
    StrongId window(window_.get());
    UIView::animate(zovo::kBannerEntryDuration, [window, windowRect] { send(window, "setFrame:", windowRect); });
    layOut(view);

    recordHostEvent("bannerPresented", current_->identifier);
    if (!current_->sticky) send(this, "_startDismissTimer");
}

void SBNotificationBannerDestination::startDismissTimer()
{
    stopTimer();
    if (phase_ != Phase::Presented || !current_ || current_->sticky || longLook_) return;
    objc::WeakRef<SBNotificationBannerDestination> weak(this);
    timer_ = runLoop().schedule(zovo::host::config().bannerDuration, [weak] {
        auto self = weak.lock();
        if (!self) return;
        self->timer_ = 0;
        send(self, kDismissSelector, true, NSString::from("timeout"), false);
    });
}

#pragma GCC diagnostic pop

void SBNotificationBannerDestination::cancelDismissTimer() { stopTimer(); }

void SBNotificationBannerDestination::stopTimer()
{
    if (timer_ != 0) runLoop().cancel(timer_);
    timer_ = 0;
}

void SBNotificationBannerDestination::dismissPresentedBanner(bool animated, id, bool forceIfSticky)
{
    if (phase_ != Phase::Presented) return;
    if (!forceIfSticky && (current_->sticky || longLook_)) return;
    objc::StrongRef<SBNotificationBannerDestination> keep(this);
    phase_ = Phase::Dismissing;
    stopTimer();
    if (longLook_) closeLongLookView(animated);
    send(shortLook_, "viewWillDisappear:", animated);
    const std::uint64_t serial = serial_;
    if (!animated || !window_) {
        finishDismissal(serial);
        return;
    }
    StrongId window(window_.get());
    objc::WeakRef<SBNotificationBannerDestination> weak(this);
    UIView::animate(
        zovo::kBannerExitDuration,
        [window] {
            CGRect frame = send<CGRect>(window, "frame");
            frame.origin.y = -frame.size.height;
            send(window, "setFrame:", frame);
        },
        [weak, serial](bool) {
            if (auto self = weak.lock()) self->finishDismissal(serial);
        });
}

void SBNotificationBannerDestination::finishDismissal(std::uint64_t serial)
{
    if (phase_ != Phase::Dismissing || serial != serial_) return;
    objc::StrongRef<SBNotificationBannerDestination> keep(this);
    // The banner's objects live to the end of this call, so whatever the completion reaches for
    // still exists; the destination itself is already idle.
    objc::StrongRef<NCNotificationRequest> request = std::move(current_);
    objc::StrongRef<SBBannerWindow> window = std::move(window_);
    objc::StrongRef<NCNotificationShortLookViewController> controller = std::move(shortLook_);
    phase_ = Phase::Idle;
    send(window, "setHidden:", true);
    zovo::host::recordHostEvent("bannerDismissed", request->identifier);
    send(this, "_dismissBannerCompleted:", request);
    schedulePresentation();
}

void SBNotificationBannerDestination::performDefaultAction(NCNotificationShortLookViewController* from)
{
    if (phase_ != Phase::Presented || !from || from != shortLook_.get()) return;
    zovo::host::recordHostEvent("defaultAction", current_->identifier);
    send(this, kDismissSelector, true, NSString::from("defaultAction"), true);
}

bool SBNotificationBannerDestination::presentLongLook(NCNotificationShortLookViewController* from, bool animated, std::function<void()> completion)
{
    using namespace zovo::host;
    if (phase_ != Phase::Presented || !from || from != shortLook_.get() || longLook_) return false;
    objc::StrongRef<SBNotificationBannerDestination> keep(this);
    stopTimer();
    StrongId controller = send<StrongId>(alloc(classes().longLookController), "initWithNotificationRequest:", current_);
    longLook_ = objc::retained(objc::cast<NCNotificationLongLookViewController>(controller));
    send(controller, "setDelegate:", this);
    StrongId view = send<StrongId>(controller, "view");
    // The long look takes the whole screen, in the banner's window.
    const CGRect screen = UIScreen::mainScreen()->bounds();
    send(window_, "setFrame:", screen);
    send(view, "setFrame:", screen);
    send(window_, "addSubview:", view);
    send(controller, "viewWillAppear:", animated);
    recordHostEvent("longLookPresented", current_->identifier);
    auto finished = [completion = std::move(completion)](bool) {
        if (completion) completion();
    };
    if (!animated) {
        finished(true);
        return true;
    }
    send(view, "setAlpha:", 0.0);
    UIView::animate(zovo::kLongLookAppearDuration, [view] { send(view, "setAlpha:", 1.0); }, finished);
    return true;
}

void SBNotificationBannerDestination::screenDidRotate()
{
    if (!window_) return;
    objc::StrongRef<SBNotificationBannerDestination> keep(this);
    const CGRect screen = UIScreen::mainScreen()->bounds();
    if (longLook_) {
        send(window_, "setFrame:", screen);
        send(longLook_->viewIfLoaded(), "setFrame:", screen);
        return;
    }
    StrongId view = shortLook_ ? StrongId(shortLook_->viewIfLoaded()) : StrongId();
    auto* card = objc::cast<NCNotificationShortLookView>(view);
    const CGRect cardRect = cardFrame(card ? card->sizeThatFits(CGSizeMake(cardFrame(0).size.width, 0)).height : 0);
    CGRect windowRect = CGRectMake(0, 0, screen.size.width, CGRectGetMaxY(cardRect) + zovo::kBannerMargin);
    // A banner on its way out stays above the screen, where its exit is taking it.
    if (phase_ == Phase::Dismissing) windowRect.origin.y = -windowRect.size.height;
    send(window_, "setFrame:", windowRect);
    send(view, "setFrame:", cardRect);
}

bool SBNotificationBannerDestination::closeLongLook()
{
    if (!longLook_ || phase_ != Phase::Presented) return false;
    objc::StrongRef<SBNotificationBannerDestination> keep(this);
    closeLongLookView(true);
    send(this, kDismissSelector, true, NSString::from("longLookClosed"), true);
    return true;
}

void SBNotificationBannerDestination::closeLongLookView(bool animated)
{
    objc::StrongRef<NCNotificationLongLookViewController> controller = longLook_;
    send(controller, "viewWillDisappear:", animated);
    send(controller->viewIfLoaded(), "removeFromSuperview");
    longLook_ = nullptr;
    zovo::host::recordHostEvent("longLookDismissed", current_->identifier);
}

namespace zovo::host {

objc::Class registerBannerDestination(objc::Runtime& runtime, const char* name)
{
    objc::Class cls = runtime.registerClass(name, runtime.lookUpClass("NSObject"), []() -> objc::Object* { return new SBNotificationBannerDestination(); });
    objc::addMethod(cls, objc::sel("init"), +[](id self, SEL) -> StrongId { return objc::sendSuper<StrongId>(self, classes().destination, "init"); });
    objc::addMethod(cls, objc::sel("postNotificationRequest:"), +[](id self, SEL, id request) { destination(self)->postNotificationRequest(request); });
    // The host's bookkeeping is done before this report is sent; the body is where the system
    // tells whoever listens that its banner has gone.
    objc::addMethod(cls, objc::sel("_dismissBannerCompleted:"), +[](id, SEL, id) {});
    objc::addMethod(cls, objc::sel("_cancelDismissTimer"), +[](id self, SEL) {
        recordCall(self, "_cancelDismissTimer");
        destination(self)->cancelDismissTimer();
    });
    objc::addMethod(cls, objc::sel("_startDismissTimer"), +[](id self, SEL) {
        recordCall(self, "_startDismissTimer");
        destination(self)->startDismissTimer();
    });
    objc::addMethod(cls, objc::sel(kDismissSelector), +[](id self, SEL, bool animated, id reason, bool force) {
        recordCall(self, kDismissSelector, animated, reason, force);
        destination(self)->dismissPresentedBanner(animated, reason, force);
    });
    return cls;
}

} // namespace zovo::host
