// A continuous recogniser for drags: Began once the finger has moved past the hysteresis from
// where it went down, Changed on each move after that, Ended when it lifts.
//
// Translation and velocity come from the finger's positions on the screen, never from positions
// relative to the recogniser's view: a view that follows the finger (a banner window dragged by
// its own pan) would otherwise cancel out the very movement it is fed. Views carry no transforms,
// so a screen delta is the same delta in every view's coordinates; the view arguments are taken
// for the platform's signature only.
#pragma once

#include "uikit/UIGestureRecognizer.h"

#include <deque>

class UIPanGestureRecognizer : public UIGestureRecognizer {
public:
    static constexpr const char* kClassName = "UIPanGestureRecognizer";

    // How far, in points, the finger must move from where it went down before the pan begins. The
    // translation at Began still counts from the touch-down point, as in UIKit.
    static constexpr double kHysteresis = 10.0;
    // Velocity is measured over the moves of this last stretch of time.
    static constexpr double kVelocityWindow = 0.1;

    // The finger's movement since it went down, or since the last setTranslation.
    CGPoint translationInView(const UIView* view) const;
    // Makes the translation read `translation` now: later movement adds to it.
    void setTranslationInView(CGPoint translation, const UIView* view);
    // Points per second over the latest moves; zero before two distinct moments were seen.
    CGPoint velocityInView(const UIView* view) const;

    // UIKit's defaults: at least one finger, no upper limit. Only one finger is ever down here,
    // so a minimum above one keeps the pan from beginning.
    std::uint64_t minimumNumberOfTouches() const { return minimumTouches_; }
    void setMinimumNumberOfTouches(std::uint64_t touches) { minimumTouches_ = touches < 1 ? 1 : touches; }

protected:
    void touchesBegan(const zovo::Touch& touch) override;
    void touchesMoved(const zovo::Touch& touch) override;
    void touchesEnded(const zovo::Touch& touch) override;
    void touchesCancelled(const zovo::Touch& touch) override;
    void reset() override;

private:
    void record(const zovo::Touch& touch);

    std::uint64_t minimumTouches_ = 1;
    CGPoint current_{};
    CGPoint base_{};
    // Recent positions, oldest first: those inside the velocity window and one before it.
    std::deque<zovo::Touch> samples_;
};
