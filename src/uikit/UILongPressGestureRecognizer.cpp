#include "uikit/UILongPressGestureRecognizer.h"

void UILongPressGestureRecognizer::touchesBegan(const zovo::Touch&)
{
    startTimer(minimumPressDuration_, [this] { pressDurationPassed(); });
}

void UILongPressGestureRecognizer::pressDurationPassed()
{
    if (state() != UIGestureRecognizerStatePossible || !isTracking()) return;
    // The simulated screen takes one finger at a time, so a press of more fingers never begins.
    setState(touchesRequired_ == 1 ? UIGestureRecognizerStateBegan : UIGestureRecognizerStateFailed);
}

void UILongPressGestureRecognizer::touchesMoved(const zovo::Touch& touch)
{
    if (state() == UIGestureRecognizerStatePossible) {
        if (distance(touch.location, startLocation()) > allowableMovement_) setState(UIGestureRecognizerStateFailed);
        return;
    }
    setState(UIGestureRecognizerStateChanged);
}

void UILongPressGestureRecognizer::touchesEnded(const zovo::Touch&)
{
    // Lifting before the press began fails it (Ended from Possible would recognise a press that
    // never happened).
    setState(state() == UIGestureRecognizerStatePossible ? UIGestureRecognizerStateFailed : UIGestureRecognizerStateEnded);
}

void UILongPressGestureRecognizer::touchesCancelled(const zovo::Touch&) { setState(UIGestureRecognizerStateCancelled); }
