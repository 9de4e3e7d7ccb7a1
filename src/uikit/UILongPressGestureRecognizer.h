// A continuous recogniser for press-and-hold: Began once the finger has stayed down, nearly still,
// for the minimum duration; Changed on each move after that; Ended when it lifts. A finger that
// strays too far or lifts before the duration has passed makes it fail.
#pragma once

#include "uikit/UIGestureRecognizer.h"

class UILongPressGestureRecognizer : public UIGestureRecognizer {
public:
    static constexpr const char* kClassName = "UILongPressGestureRecognizer";

    // UIKit's documented defaults: 0.5 s, 10 points, one finger.
    static constexpr double kDefaultMinimumPressDuration = 0.5;
    static constexpr double kDefaultAllowableMovement = 10.0;

    double minimumPressDuration() const { return minimumPressDuration_; }
    // Negative and NaN durations count as zero: the press begins on the next run-loop turn.
    void setMinimumPressDuration(double seconds) { minimumPressDuration_ = seconds > 0 ? seconds : 0; }
    // How far, in points, the finger may move from where it went down before the press begins.
    double allowableMovement() const { return allowableMovement_; }
    // Negative and NaN allowances count as zero: any movement fails the press.
    void setAllowableMovement(double points) { allowableMovement_ = points > 0 ? points : 0; }
    std::uint64_t numberOfTouchesRequired() const { return touchesRequired_; }
    // Values below one count as one.
    void setNumberOfTouchesRequired(std::uint64_t touches) { touchesRequired_ = touches < 1 ? 1 : touches; }

protected:
    void touchesBegan(const zovo::Touch& touch) override;
    void touchesMoved(const zovo::Touch& touch) override;
    void touchesEnded(const zovo::Touch& touch) override;
    void touchesCancelled(const zovo::Touch& touch) override;

private:
    void pressDurationPassed();

    double minimumPressDuration_ = kDefaultMinimumPressDuration;
    double allowableMovement_ = kDefaultAllowableMovement;
    std::uint64_t touchesRequired_ = 1;
};
