// Gesture recognisers: state machines fed with the touches of the view they are attached to.
//
//   auto pan = objc::make<UIPanGestureRecognizer>();
//   pan->addTarget(banner, objc::sel("handlePanGesture:"));   // "v@:@": called with the recogniser
//   window->addGestureRecognizer(pan);
//   zovo::touchDown({100, 20});
//   zovo::touchMove({100, 60});                 // moved past the hysteresis: Began, action sent
//   pan->translationInView(window);             // (0, 40)
//
// States carry the platform's values. A discrete recogniser (tap) goes from Possible to Ended or
// Failed; a continuous one (long press, pan) from Possible to Began, Changed any number of times,
// then Ended or Cancelled, or from Possible to Failed. Once finished (Ended, Cancelled, Failed) a
// recogniser ignores the rest of the touch sequence and returns to Possible on the run-loop turn
// after the last finger has lifted, so the state read inside an action is always the state of
// the transition that sent it.
//
// Targets are held weakly (the platform holds them unretained; a weak reference lets a target
// that has ended be skipped instead of messaged). Each action is sent by message, with or without
// the recogniser as its argument as the action method's encoding says ("v@:@" or "v@:"). The
// targets are read when a transition starts sending: a pair removed during the sends is skipped,
// a pair added during them waits for the next transition.
//
// Arbitration among the recognisers of one touch sequence: when one recognises (a continuous one
// Begins, a discrete one Ends) every other participant still Possible fails, unless either
// delegate answers YES to gestureRecognizer:shouldRecognizeSimultaneouslyWithGestureRecognizer:.
// A delegate that answers NO to gestureRecognizerShouldBegin: makes the recogniser fail instead of
// recognising. The delegate is held weakly.
#pragma once

#include "objc/Object.h"
#include "uikit/CGGeometry.h"
#include "uikit/Forward.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// The platform's recogniser states.
enum UIGestureRecognizerState : std::int64_t {
    UIGestureRecognizerStatePossible = 0,
    UIGestureRecognizerStateBegan = 1,
    UIGestureRecognizerStateChanged = 2,
    UIGestureRecognizerStateEnded = 3,
    UIGestureRecognizerStateCancelled = 4,
    UIGestureRecognizerStateFailed = 5,
    UIGestureRecognizerStateRecognized = UIGestureRecognizerStateEnded,
};

namespace zovo {

// One finger's position on the screen (in screen points) at a moment of the run loop's clock.
struct Touch {
    CGPoint location;
    double timestamp = 0;
};

// The recognisers taking part in one touch sequence, innermost view's first. Shared by the touch
// input that delivers the sequence and by each participant, which fails the others through it
// when it recognises.
struct GestureSequence {
    std::vector<objc::WeakRef<UIGestureRecognizer>> participants;
};

} // namespace zovo

class UIGestureRecognizer : public objc::Object {
public:
    static constexpr const char* kClassName = "UIGestureRecognizer";

    UIGestureRecognizer();
    ~UIGestureRecognizer() override;

    // The view the recogniser is attached to, or null. Set by UIView's add/removeGestureRecognizer.
    // A recogniser moved or removed in the middle of a gesture, or whose view ends, drops out of
    // the gesture and returns to Possible without sending anything more.
    UIView* view() const;
    void setView(UIView* view);

    UIGestureRecognizerState state() const { return state_; }

    // A disabled recogniser takes no part in touch sequences. Disabling one mid-gesture cancels
    // it when it has begun (Cancelled is sent) and fails it when it has not.
    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled);

    objc::Object* delegate() const { return delegate_.get(); }
    void setDelegate(objc::id delegate) { delegate_ = delegate; }

    // Adds a target-action pair unless the same pair is already there. Fails loudly when the
    // target's method for `action` exists with an encoding other than "v@:" or "v@:@".
    void addTarget(objc::id target, objc::SEL action);
    // A nil target removes every pair; a null action every pair of that target.
    void removeTarget(objc::id target, objc::SEL action);
    std::size_t targetCount() const;

    // Fingers down in the current touch sequence: 1 while tracking, else 0.
    std::size_t numberOfTouches() const { return tracking_ ? 1 : 0; }
    // The finger's latest position (kept after it lifts) in `view`'s coordinates; a null view
    // means the window of the recogniser's view. Before any touch the finger counts as being at
    // the screen's origin.
    CGPoint locationInView(const UIView* view) const;

    // ---- Touch delivery, driven by zovo::TouchInput --------------------------------------------
    // Joins `sequence` and receives its first touch. A recogniser still finished from the
    // previous sequence is reset first.
    void beginTracking(const std::shared_ptr<zovo::GestureSequence>& sequence, const zovo::Touch& touch);
    // Later touches of the sequence; ignored unless this recogniser is still in `sequence` and
    // neither finished nor disabled.
    void deliverMove(const zovo::GestureSequence& sequence, const zovo::Touch& touch);
    void deliverEnd(const zovo::GestureSequence& sequence, const zovo::Touch& touch);
    void deliverCancel(const zovo::GestureSequence& sequence, const zovo::Touch& touch);
    // The last finger has lifted: a finished recogniser returns to Possible on the next run-loop
    // turn (or at once when a new sequence starts first).
    void endTracking(const zovo::GestureSequence& sequence);

protected:
    // Hooks for the concrete recognisers, called only while the recogniser is tracking and
    // neither finished nor disabled. `touch.location` is in screen points.
    virtual void touchesBegan(const zovo::Touch&) {}
    virtual void touchesMoved(const zovo::Touch&) {}
    virtual void touchesEnded(const zovo::Touch&) {}
    virtual void touchesCancelled(const zovo::Touch&) {}
    // Clears what the recogniser remembers of a gesture; runs whenever it returns to Possible.
    virtual void reset() {}

    // Requests a transition. Transitions the state machine does not allow (leaving a finished
    // state, Changed before Began, Cancelled before Began) are ignored; Cancelled requested from
    // Possible becomes Failed. Recognising (Possible to Began or Ended) first asks the delegate,
    // then fails the other participants; every new state but Failed sends the actions.
    void setState(UIGestureRecognizerState next);

    // Runs `fire` once after `delaySeconds` on the run loop, unless the recogniser has finished,
    // reset, or started another timer first. Only one timer is pending at a time.
    void startTimer(double delaySeconds, std::function<void()> fire);
    void stopTimer();

    bool isTracking() const { return tracking_; }
    // Where the first touch of the current sequence went down, on the screen.
    CGPoint startLocation() const { return start_.location; }
    static double distance(CGPoint a, CGPoint b);

private:
    struct Target;

    static bool isFinished(UIGestureRecognizerState state);
    bool accepts(const zovo::GestureSequence& sequence);
    bool delegateAllowsBegin();
    bool mayRecognizeWith(UIGestureRecognizer* other);
    void failOtherParticipants();
    void sendActions();
    void returnToPossible();
    void scheduleReturnToPossible();
    // Leaves the current gesture without sending anything: the view went away or changed.
    void abandon();

    UIGestureRecognizerState state_ = UIGestureRecognizerStatePossible;
    bool enabled_ = true;
    bool tracking_ = false;
    zovo::Touch start_;
    zovo::Touch latest_;
    std::vector<std::shared_ptr<Target>> targets_;
    std::shared_ptr<zovo::GestureSequence> sequence_;
    std::uint64_t timer_ = 0;
    // Bumped whenever the recogniser finishes or resets, so a timer or a queued reset from an
    // earlier gesture finds it changed and does nothing.
    std::uint64_t generation_ = 0;
    objc::WeakRef<objc::Object> delegate_;
    objc::WeakRef<UIView> view_;
};
