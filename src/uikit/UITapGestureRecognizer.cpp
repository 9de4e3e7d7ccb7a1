#include "uikit/UITapGestureRecognizer.h"

void UITapGestureRecognizer::touchesBegan(const zovo::Touch& touch)
{
    tapStart_ = touch.location;
    startTimer(kMaximumTapDuration, [this] { setState(UIGestureRecognizerStateFailed); });
}

void UITapGestureRecognizer::touchesMoved(const zovo::Touch& touch)
{
    if (distance(touch.location, tapStart_) > kMovementAllowance) setState(UIGestureRecognizerStateFailed);
}

void UITapGestureRecognizer::touchesEnded(const zovo::Touch& touch)
{
    stopTimer();
    // The simulated screen takes one finger at a time, so a tap of more fingers never completes.
    if (distance(touch.location, tapStart_) > kMovementAllowance || touchesRequired_ != 1) {
        setState(UIGestureRecognizerStateFailed);
        return;
    }
    if (++taps_ >= tapsRequired_) {
        setState(UIGestureRecognizerStateEnded);
        return;
    }
    // Still Possible between taps: it fails unless the next tap comes soon enough.
    startTimer(kMaximumTapInterval, [this] { setState(UIGestureRecognizerStateFailed); });
}

void UITapGestureRecognizer::touchesCancelled(const zovo::Touch&) { setState(UIGestureRecognizerStateFailed); }

void UITapGestureRecognizer::reset()
{
    taps_ = 0;
    tapStart_ = {};
}
