// A discrete recogniser for quick taps: Ended when the finger lifts close to where it went down
// and soon enough, after the required number of taps; Failed otherwise.
#pragma once

#include "uikit/UIGestureRecognizer.h"

#include <algorithm>

class UITapGestureRecognizer : public UIGestureRecognizer {
public:
    static constexpr const char* kClassName = "UITapGestureRecognizer";

    // A finger that strays further than this from where it went down is not tapping. UIKit's
    // tap allowance is 10 points, as for the long press.
    static constexpr double kMovementAllowance = 10.0;
    // A finger held longer than this is not tapping: the recogniser fails while it is still down.
    // Chosen to match UIKit's behaviour (three quarters of a second); a press that reaches the
    // long press's 0.5 s fails the tap earlier through arbitration anyway.
    static constexpr double kMaximumTapDuration = 0.75;
    // With more than one tap required, the next tap must go down within this time of the last
    // lift, as in UIKit's double tap.
    static constexpr double kMaximumTapInterval = 0.35;

    // UIKit's defaults: one tap of one finger. Values below one count as one.
    std::uint64_t numberOfTapsRequired() const { return tapsRequired_; }
    void setNumberOfTapsRequired(std::uint64_t taps) { tapsRequired_ = std::max<std::uint64_t>(taps, 1); }
    std::uint64_t numberOfTouchesRequired() const { return touchesRequired_; }
    void setNumberOfTouchesRequired(std::uint64_t touches) { touchesRequired_ = std::max<std::uint64_t>(touches, 1); }

protected:
    void touchesBegan(const zovo::Touch& touch) override;
    void touchesMoved(const zovo::Touch& touch) override;
    void touchesEnded(const zovo::Touch& touch) override;
    void touchesCancelled(const zovo::Touch& touch) override;
    void reset() override;

private:
    std::uint64_t tapsRequired_ = 1;
    std::uint64_t touchesRequired_ = 1;
    std::uint64_t taps_ = 0;
    CGPoint tapStart_{};
};
