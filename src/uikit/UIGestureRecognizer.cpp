#include "uikit/UIGestureRecognizer.h"

#include "foundation/Process.h"
#include "foundation/RunLoop.h"
#include "objc/Message.h"
#include "uikit/UIView.h"

#include <algorithm>
#include <cmath>
#include <string>

struct UIGestureRecognizer::Target {
    objc::WeakRef<objc::Object> target;
    objc::SEL action = nullptr;
    // Set when the pair leaves the list, so that sends already under way skip it.
    bool removed = false;
};

namespace {

enum class ActionShape { WithRecognizer, WithoutArgument };

// How an action method is called, from its encoding. Throws for any other encoding.
ActionShape shapeOf(const objc::Method& method, objc::Class cls, objc::SEL action)
{
    if (method.types == objc::encodingOf<void, objc::id>()) return ActionShape::WithRecognizer;
    if (method.types == objc::encodingOf<void>()) return ActionShape::WithoutArgument;
    throw objc::RuntimeError(objc::describeMethod(cls, action) + ": a gesture recogniser's action must be encoded \"v@:\" or \"v@:@\", but it is encoded \"" +
                             method.types + "\"");
}

zovo::RunLoop* runLoop()
{
    zovo::Process* process = zovo::Process::currentOrNull();
    return process ? &process->mainRunLoop() : nullptr;
}

} // namespace

UIGestureRecognizer::UIGestureRecognizer() = default;
UIGestureRecognizer::~UIGestureRecognizer() = default;

UIView* UIGestureRecognizer::view() const { return view_.get(); }

void UIGestureRecognizer::setView(UIView* view)
{
    if (view == view_.get()) return;
    abandon();
    view_ = view;
}

void UIGestureRecognizer::setEnabled(bool enabled)
{
    if (enabled == enabled_) return;
    enabled_ = enabled;
    if (enabled) return;
    if (tracking_) {
        // Cancelled (Failed before Began) is the last transition it reports; the rest of the
        // sequence is ignored and it resets when the finger lifts.
        setState(UIGestureRecognizerStateCancelled);
    } else {
        abandon(); // drops a pending timer, such as a tap waiting for its next tap
    }
}

void UIGestureRecognizer::addTarget(objc::id target, objc::SEL action)
{
    if (!target || !action) return;
    // A method the target gains later is checked when an action reaches it.
    if (const objc::Method* method = objc::class_getInstanceMethod(target->isa, action)) shapeOf(*method, target->isa, action);
    std::erase_if(targets_, [](const std::shared_ptr<Target>& t) { return t->target.expired(); });
    for (const auto& t : targets_)
        if (t->target.get() == target && t->action == action) return;
    auto entry = std::make_shared<Target>();
    entry->target = target;
    entry->action = action;
    targets_.push_back(std::move(entry));
}

void UIGestureRecognizer::removeTarget(objc::id target, objc::SEL action)
{
    std::erase_if(targets_, [&](const std::shared_ptr<Target>& t) {
        const bool doomed = (!target || t->target.get() == target) && (!action || t->action == action);
        if (doomed) t->removed = true;
        return doomed;
    });
}

std::size_t UIGestureRecognizer::targetCount() const
{
    return static_cast<std::size_t>(std::count_if(targets_.begin(), targets_.end(), [](const std::shared_ptr<Target>& t) { return bool(t->target); }));
}

CGPoint UIGestureRecognizer::locationInView(const UIView* view) const
{
    // For a null view: the nearest ancestor of the recogniser's view that is a window, as window() finds it.
    const UIView* target = view;
    for (const UIView* v = view ? nullptr : view_.get(); v && !target; v = v->superview())
        if (v->asWindow()) target = v;
    if (!target) return latest_.location;
    // Screen points become the root's coordinates by taking off the window's own origin; a tree
    // that is not in a window stands at the screen's origin.
    const UIView* root = target;
    while (root->superview()) root = root->superview();
    CGPoint inRoot = latest_.location;
    if (root->asWindow()) {
        inRoot.x -= root->frame().origin.x;
        inRoot.y -= root->frame().origin.y;
    }
    return target->convertPointFromView(inRoot, root);
}

// ---- Touch delivery -----------------------------------------------------------------------------

bool UIGestureRecognizer::isFinished(UIGestureRecognizerState state)
{
    return state == UIGestureRecognizerStateEnded || state == UIGestureRecognizerStateCancelled || state == UIGestureRecognizerStateFailed;
}

bool UIGestureRecognizer::accepts(const zovo::GestureSequence& sequence)
{
    if (!tracking_ || sequence_.get() != &sequence) return false;
    if (!view_) {
        // The view ended mid-gesture: nothing is left to report on.
        abandon();
        return false;
    }
    return enabled_ && !isFinished(state_);
}

void UIGestureRecognizer::beginTracking(const std::shared_ptr<zovo::GestureSequence>& sequence, const zovo::Touch& touch)
{
    if (!sequence || !enabled_ || !view_) return;
    objc::StrongRef<UIGestureRecognizer> keep(this);
    if (isFinished(state_)) returnToPossible();
    sequence_ = sequence;
    tracking_ = true;
    start_ = touch;
    latest_ = touch;
    touchesBegan(touch);
}

void UIGestureRecognizer::deliverMove(const zovo::GestureSequence& sequence, const zovo::Touch& touch)
{
    if (!accepts(sequence)) return;
    objc::StrongRef<UIGestureRecognizer> keep(this);
    latest_ = touch;
    touchesMoved(touch);
}

void UIGestureRecognizer::deliverEnd(const zovo::GestureSequence& sequence, const zovo::Touch& touch)
{
    if (!accepts(sequence)) return;
    objc::StrongRef<UIGestureRecognizer> keep(this);
    latest_ = touch;
    touchesEnded(touch);
}

void UIGestureRecognizer::deliverCancel(const zovo::GestureSequence& sequence, const zovo::Touch& touch)
{
    if (!accepts(sequence)) return;
    objc::StrongRef<UIGestureRecognizer> keep(this);
    latest_ = touch;
    touchesCancelled(touch);
}

void UIGestureRecognizer::endTracking(const zovo::GestureSequence& sequence)
{
    if (!tracking_ || sequence_.get() != &sequence) return;
    tracking_ = false;
    sequence_.reset();
    if (isFinished(state_)) scheduleReturnToPossible();
}

// ---- State machine ------------------------------------------------------------------------------

void UIGestureRecognizer::setState(UIGestureRecognizerState next)
{
    const UIGestureRecognizerState previous = state_;
    if (isFinished(previous)) return;
    const bool begun = previous == UIGestureRecognizerStateBegan || previous == UIGestureRecognizerStateChanged;
    switch (next) {
    case UIGestureRecognizerStateBegan:
        if (previous != UIGestureRecognizerStatePossible) return;
        break;
    case UIGestureRecognizerStateChanged:
        if (!begun) return;
        break;
    case UIGestureRecognizerStateEnded:
        break;
    case UIGestureRecognizerStateCancelled:
    case UIGestureRecognizerStateFailed:
        // Only a gesture that has begun can be cancelled; one that has begun cannot fail any more.
        next = begun ? UIGestureRecognizerStateCancelled : UIGestureRecognizerStateFailed;
        break;
    default:
        return; // only a reset returns to Possible
    }

    objc::StrongRef<UIGestureRecognizer> keep(this);
    const bool recognizing = previous == UIGestureRecognizerStatePossible && (next == UIGestureRecognizerStateBegan || next == UIGestureRecognizerStateEnded);
    if (recognizing && !delegateAllowsBegin()) {
        // The delegate's code may itself have moved this recogniser on (disabled it, removed it).
        if (state_ != previous) return;
        next = UIGestureRecognizerStateFailed;
    }
    if (state_ != previous) return;

    state_ = next;
    if (isFinished(next)) {
        stopTimer();
        ++generation_;
    }
    if (recognizing && next != UIGestureRecognizerStateFailed) failOtherParticipants();
    if (next != UIGestureRecognizerStateFailed) sendActions();
    if (isFinished(next) && !tracking_) scheduleReturnToPossible();
}

bool UIGestureRecognizer::delegateAllowsBegin()
{
    static const objc::SEL shouldBegin = objc::sel("gestureRecognizerShouldBegin:");
    objc::StrongRef<objc::Object> delegate = delegate_.lock();
    if (!delegate || !objc::respondsTo(delegate.get(), shouldBegin)) return true;
    return objc::send<bool>(delegate, shouldBegin, this);
}

bool UIGestureRecognizer::mayRecognizeWith(UIGestureRecognizer* other)
{
    static const objc::SEL simultaneously = objc::sel("gestureRecognizer:shouldRecognizeSimultaneouslyWithGestureRecognizer:");
    auto asks = [&](UIGestureRecognizer* asked, UIGestureRecognizer* about) {
        objc::StrongRef<objc::Object> delegate = asked->delegate_.lock();
        return delegate && objc::respondsTo(delegate.get(), simultaneously) && objc::send<bool>(delegate, simultaneously, asked, about);
    };
    return asks(this, other) || asks(other, this);
}

void UIGestureRecognizer::failOtherParticipants()
{
    if (!sequence_) return;
    // The sequence can end while delegates answer; the copy keeps the list being walked alive.
    const std::shared_ptr<zovo::GestureSequence> sequence = sequence_;
    const auto participants = sequence->participants;
    for (const auto& weak : participants) {
        objc::StrongRef<UIGestureRecognizer> other = weak.lock();
        if (!other || other.get() == this || other->sequence_ != sequence) continue;
        if (other->state_ != UIGestureRecognizerStatePossible || mayRecognizeWith(other.get())) continue;
        other->setState(UIGestureRecognizerStateFailed);
    }
}

void UIGestureRecognizer::sendActions()
{
    const auto snapshot = targets_;
    for (const auto& entry : snapshot) {
        if (entry->removed) continue;
        objc::StrongId target = entry->target.lock();
        if (!target) continue;
        const objc::Method* method = objc::class_getInstanceMethod(target->isa, entry->action);
        if (!method) objc::throwUnrecognizedSelector(target.get(), entry->action);
        if (shapeOf(*method, target->isa, entry->action) == ActionShape::WithoutArgument) objc::send(target, entry->action);
        else objc::send(target, entry->action, static_cast<objc::id>(this));
    }
    std::erase_if(targets_, [](const std::shared_ptr<Target>& t) { return t->target.expired(); });
}

void UIGestureRecognizer::returnToPossible()
{
    state_ = UIGestureRecognizerStatePossible;
    ++generation_;
    stopTimer();
    reset();
}

// GCC 12 reports a use after free inside the weak reference's release when a lambda holding one
// is moved into the run loop; the reference count guards it and sanitizer runs agree.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuse-after-free"
void UIGestureRecognizer::scheduleReturnToPossible()
{
    zovo::RunLoop* loop = runLoop();
    if (!loop) {
        returnToPossible();
        return;
    }
    objc::WeakRef<UIGestureRecognizer> weak(this);
    const std::uint64_t generation = generation_;
    loop->perform([weak, generation] {
        objc::StrongRef<UIGestureRecognizer> self = weak.lock();
        if (self && self->generation_ == generation && !self->tracking_ && isFinished(self->state_)) self->returnToPossible();
    });
}

void UIGestureRecognizer::startTimer(double delaySeconds, std::function<void()> fire)
{
    stopTimer();
    zovo::RunLoop* loop = runLoop();
    if (!loop) return;
    if (!(delaySeconds > 0)) delaySeconds = 0; // NaN and negative delays fire on the next turn
    objc::WeakRef<UIGestureRecognizer> weak(this);
    const std::uint64_t generation = generation_;
    timer_ = loop->schedule(delaySeconds, [weak, generation, fire = std::move(fire)] {
        objc::StrongRef<UIGestureRecognizer> self = weak.lock();
        if (!self || self->generation_ != generation) return;
        self->timer_ = 0;
        // `fire` may capture the recogniser itself; `self` keeps it alive for the call.
        fire();
    });
}
#pragma GCC diagnostic pop

void UIGestureRecognizer::stopTimer()
{
    if (timer_ == 0) return;
    if (zovo::RunLoop* loop = runLoop()) loop->cancel(timer_);
    timer_ = 0;
}

void UIGestureRecognizer::abandon()
{
    tracking_ = false;
    sequence_.reset();
    returnToPossible();
}

double UIGestureRecognizer::distance(CGPoint a, CGPoint b) { return std::hypot(a.x - b.x, a.y - b.y); }
