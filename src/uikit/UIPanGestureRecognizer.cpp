#include "uikit/UIPanGestureRecognizer.h"

CGPoint UIPanGestureRecognizer::translationInView(const UIView*) const { return CGPointMake(current_.x - base_.x, current_.y - base_.y); }

void UIPanGestureRecognizer::setTranslationInView(CGPoint translation, const UIView*)
{
    base_ = CGPointMake(current_.x - translation.x, current_.y - translation.y);
}

CGPoint UIPanGestureRecognizer::velocityInView(const UIView*) const
{
    if (samples_.size() < 2) return CGPointMake(0, 0);
    const zovo::Touch& first = samples_.front();
    const zovo::Touch& last = samples_.back();
    const double dt = last.timestamp - first.timestamp;
    if (!(dt > 0)) return CGPointMake(0, 0);
    return CGPointMake((last.location.x - first.location.x) / dt, (last.location.y - first.location.y) / dt);
}

void UIPanGestureRecognizer::record(const zovo::Touch& touch)
{
    current_ = touch.location;
    samples_.push_back(touch);
    // Keep one sample older than the window, so a finger that rested before its last move still
    // measures that move over the time it really took.
    while (samples_.size() > 2 && samples_[1].timestamp < touch.timestamp - kVelocityWindow) samples_.pop_front();
}

void UIPanGestureRecognizer::touchesBegan(const zovo::Touch& touch)
{
    samples_.clear();
    record(touch);
    base_ = touch.location;
}

void UIPanGestureRecognizer::touchesMoved(const zovo::Touch& touch)
{
    record(touch);
    if (state() != UIGestureRecognizerStatePossible) {
        setState(UIGestureRecognizerStateChanged);
        return;
    }
    // The simulated screen takes one finger at a time.
    if (minimumTouches_ == 1 && distance(touch.location, startLocation()) > kHysteresis) setState(UIGestureRecognizerStateBegan);
}

void UIPanGestureRecognizer::touchesEnded(const zovo::Touch& touch)
{
    record(touch);
    // A finger that lifts before the pan began fails it.
    setState(state() == UIGestureRecognizerStatePossible ? UIGestureRecognizerStateFailed : UIGestureRecognizerStateEnded);
}

void UIPanGestureRecognizer::touchesCancelled(const zovo::Touch&) { setState(UIGestureRecognizerStateCancelled); }

void UIPanGestureRecognizer::reset()
{
    samples_.clear();
    current_ = {};
    base_ = {};
}
