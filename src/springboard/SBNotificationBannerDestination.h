// The banner destination: receives notification requests, shows them one at a time as the
// system's banner, runs the banner's dismiss timer, dismisses, and opens and closes the long look.
//
//   objc::send(destination, "postNotificationRequest:", request);   // queued; shown on a later turn
//   loop.advance(kSystemBannerDuration + kBannerExitDuration);       // timer, exit, completion
//
// Rules, in the order a banner meets them:
// - Requests are shown in arrival order. With nothing presented, the next request is presented on
//   a later turn of the run loop, never inside the call that posted it. With a banner presented,
//   a new request waits and the presented banner is dismissed (forced: a newer request displaces
//   a sticky banner too); while the long look is open it only waits. Requests already waiting when
//   a banner comes up let it run its time: only an arrival cuts a banner short.
// - Presenting: an SBBannerWindow (initWithFrame:), then an NCNotificationShortLookViewController
//   (delegate: this destination) whose view loads (loadView, viewDidLoad), the card placed in the
//   window, kShortLookLayoutPasses layout passes of the card, the window shown and sliding in, a
//   "bannerPresented" record, and _startDismissTimer unless the request is sticky.
// - The dismiss timer runs for the banner duration from each _startDismissTimer; it never runs for
//   a sticky banner or while the long look is open. On expiry it sends
//   _dismissPresentedBannerAnimated:reason:forceIfSticky: (YES, "timeout", NO).
// - A dismissal acts only on a presented banner (not one already on its way out), and on a sticky
//   one or one whose long look is open only when forced; a forced one closes the long look first.
//   It sends the short-look controller viewWillDisappear:, slides the window out, hides it (the
//   window leaves the screen), writes "bannerDismissed", and then sends _dismissBannerCompleted:
//   with the request. The destination is idle by then, so a dismissal asked for during that call
//   finds nothing to dismiss; the next request is presented on a later turn, after it returns.
// - The default action (the card's tap) writes "defaultAction" and dismisses, forced.
// - On rotation the banner's window follows the screen at once: its card is placed and sized again
//   for the new width, and an open long look fills the turned screen.
// - The long look opens from the presented banner's controller only, cancels the timer, fills the
//   banner window with an NCNotificationLongLookViewController's view (viewWillAppear:) and holds
//   the banner until it closes: viewWillDisappear:, then a forced dismissal.
//
// The host sends its own hookable methods by message, so a replaced method is what runs. Every
// call of _cancelDismissTimer, _startDismissTimer and _dismissPresentedBannerAnimated:... is
// recorded in the trace from inside its body, whoever made it.
#pragma once

#include "foundation/RunLoop.h"
#include "objc/Object.h"
#include "springboard/BannerControllerDelegate.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <string>

class NCNotificationLongLookViewController;
class NCNotificationRequest;
class NCNotificationShortLookViewController;
class SBBannerWindow;

class SBNotificationBannerDestination : public objc::Object, public zovo::host::BannerControllerDelegate {
public:
    static constexpr const char* kClassName = "SBNotificationBannerDestination";

    enum class Phase {
        Idle,       // no banner on screen (one may be about to be presented)
        Presented,  // a banner is up
        Dismissing, // its exit is under way
    };

    SBNotificationBannerDestination();
    ~SBNotificationBannerDestination() override;

    // ---- Bodies of the registered methods ------------------------------------------------------
    void postNotificationRequest(objc::id request);
    void startDismissTimer();
    void cancelDismissTimer();
    void dismissPresentedBanner(bool animated, objc::id reason, bool forceIfSticky);

    // ---- The host's own entry points -----------------------------------------------------------
    // What the banner's controllers ask of it (see BannerControllerDelegate).
    void performDefaultAction(NCNotificationShortLookViewController* from) override;
    bool presentLongLook(NCNotificationShortLookViewController* from, bool animated, std::function<void()> completion) override;
    bool closeLongLook() override;
    // The screen has turned: the banner's window follows it (across the new width, the card
    // placed and sized for it, or the whole screen while the long look is open), without an
    // animation. Laying the views out again is left to the caller.
    void screenDidRotate();

    // ---- State, for drivers and tests ----------------------------------------------------------
    Phase phase() const { return phase_; }
    // The request on screen (presented or on its way out), or null.
    NCNotificationRequest* presentedRequest() const { return current_.get(); }
    std::size_t pendingCount() const { return queue_.size(); }
    bool isDismissTimerRunning() const { return timer_ != 0; }
    bool isLongLookOpen() const { return longLook_.get() != nullptr; }
    SBBannerWindow* bannerWindow() const { return window_.get(); }
    NCNotificationShortLookViewController* shortLookController() const { return shortLook_.get(); }
    NCNotificationLongLookViewController* longLookController() const { return longLook_.get(); }

private:
    void schedulePresentation();
    void presentNext();
    void stopTimer();
    void closeLongLookView(bool animated);
    void finishDismissal(std::uint64_t serial);

    std::deque<objc::StrongRef<NCNotificationRequest>> queue_;
    bool presentationScheduled_ = false;
    Phase phase_ = Phase::Idle;
    // Counts presentations, so that a late exit completion of an earlier banner does nothing.
    std::uint64_t serial_ = 0;
    objc::StrongRef<NCNotificationRequest> current_;
    objc::StrongRef<SBBannerWindow> window_;
    objc::StrongRef<NCNotificationShortLookViewController> shortLook_;
    objc::StrongRef<NCNotificationLongLookViewController> longLook_;
    zovo::RunLoop::TimerId timer_ = 0;
};

namespace zovo::host {
// Registers init, postNotificationRequest:, _dismissBannerCompleted:, _cancelDismissTimer,
// _startDismissTimer and _dismissPresentedBannerAnimated:reason:forceIfSticky:.
objc::Class registerBannerDestination(objc::Runtime& runtime, const char* name);
} // namespace zovo::host
