#include "uikit/TouchInput.h"

#include "foundation/Process.h"
#include "foundation/RunLoop.h"
#include "foundation/Trace.h"
#include "objc/Message.h"
#include "uikit/UIScreen.h"
#include "uikit/UIView.h"
#include "uikit/UIWindow.h"


namespace zovo {
namespace {

void recordTouch(const char* phase, CGPoint point)
{
    trace().record("touch", {{"phase", phase}, {"x", point.x}, {"y", point.y}});
}

Touch touchAt(CGPoint point) { return Touch{point, Process::current().mainRunLoop().now()}; }

// The recognisers of `view` and its ancestors, innermost first, that take part in a sequence.
std::vector<objc::WeakRef<UIGestureRecognizer>> participantsFor(UIView* view)
{
    std::vector<objc::WeakRef<UIGestureRecognizer>> participants;
    for (UIView* v = view; v; v = v->superview())
        for (const auto& recognizer : v->gestureRecognizers())
            if (recognizer->isEnabled()) participants.emplace_back(recognizer.get());
    return participants;
}

} // namespace

TouchInput& TouchInput::current() { return Process::current().local<TouchInput>(); }

bool TouchInput::touchDown(CGPoint screenPoint)
{
    if (down_) return false;
    down_ = true;
    location_ = screenPoint;
    recordTouch("down", screenPoint);

    objc::StrongRef<UIView> hit;
    if (objc::StrongRef<UIWindow> window = objc::retained(UIScreen::mainScreen()->windowForTouchAt(screenPoint))) {
        const CGRect frame = window->frame();
        const CGPoint inWindow = CGPointMake(screenPoint.x - frame.origin.x, screenPoint.y - frame.origin.y);
        // By message, so a class that replaces hitTest:withEvent: decides where touches go.
        objc::StrongId found = objc::send<objc::StrongId>(window, "hitTest:withEvent:", inWindow, nullptr);
        hit = objc::retained(objc::cast<UIView>(found));
    }
    sequence_ = std::make_shared<GestureSequence>();
    if (!hit) return true;
    sequence_->participants = participantsFor(hit.get());

    const Touch touch = touchAt(screenPoint);
    const auto sequence = sequence_;
    for (const auto& weak : sequence->participants)
        if (objc::StrongRef<UIGestureRecognizer> recognizer = weak.lock()) recognizer->beginTracking(sequence, touch);
    return true;
}

bool TouchInput::touchMove(CGPoint screenPoint)
{
    if (!down_ || screenPoint == location_) return false;
    location_ = screenPoint;
    recordTouch("move", screenPoint);
    deliver(Phase::Move, screenPoint);
    return true;
}

bool TouchInput::touchUp(CGPoint screenPoint)
{
    if (!down_) return false;
    location_ = screenPoint;
    recordTouch("up", screenPoint);
    deliver(Phase::End, screenPoint);
    finishSequence();
    return true;
}

bool TouchInput::touchCancel()
{
    if (!down_) return false;
    recordTouch("cancel", location_);
    deliver(Phase::Cancel, location_);
    finishSequence();
    return true;
}

void TouchInput::deliver(Phase phase, CGPoint screenPoint)
{
    // Actions may start or end sequences (a test lifting the finger from inside an action): the
    // copy keeps this sequence and its list alive until every participant has had the touch.
    const std::shared_ptr<GestureSequence> sequence = sequence_;
    if (!sequence) return;
    const Touch touch = touchAt(screenPoint);
    const auto participants = sequence->participants;
    for (const auto& weak : participants) {
        objc::StrongRef<UIGestureRecognizer> recognizer = weak.lock();
        if (!recognizer) continue;
        switch (phase) {
        case Phase::Move: recognizer->deliverMove(*sequence, touch); break;
        case Phase::End: recognizer->deliverEnd(*sequence, touch); break;
        case Phase::Cancel: recognizer->deliverCancel(*sequence, touch); break;
        }
    }
}

void TouchInput::finishSequence()
{
    down_ = false;
    const std::shared_ptr<GestureSequence> sequence = std::move(sequence_);
    sequence_.reset();
    if (!sequence) return;
    for (const auto& weak : sequence->participants)
        if (objc::StrongRef<UIGestureRecognizer> recognizer = weak.lock()) recognizer->endTracking(*sequence);
}

bool touchDown(CGPoint screenPoint) { return TouchInput::current().touchDown(screenPoint); }
bool touchMove(CGPoint screenPoint) { return TouchInput::current().touchMove(screenPoint); }
bool touchUp(CGPoint screenPoint) { return TouchInput::current().touchUp(screenPoint); }
bool touchCancel() { return TouchInput::current().touchCancel(); }

} // namespace zovo
