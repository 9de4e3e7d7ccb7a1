// The simulated touch screen: one finger, driven by scenarios, the interactive tool and tests.
//
//   zovo::touchDown({195, 40});   // finds the window and view under the finger; recognisers join
//   zovo::touchMove({195, 90});
//   zovo::touchUp({195, 90});
//
// A touch sequence goes to the frontmost shown window that takes touches at the touch-down point,
// then to the view that window's hitTest:withEvent: picks. The recognisers of that view and of
// each of its ancestors up to the window, innermost first and in the order each view holds them,
// take part in the sequence; later moves and the lift go to the same recognisers wherever the
// finger goes. Every touch is written to the process trace (type "touch", "phase" down, move, up
// or cancel, "x" and "y" in screen points).
//
// One finger at a time: a second touchDown while the finger is down, and a move, lift or cancel
// with no finger down, are ignored and answer false. A move to the point the finger is already at
// is no movement and is dropped (answers false) as a real screen would.
#pragma once

#include "objc/Object.h"
#include "uikit/CGGeometry.h"
#include "uikit/Forward.h"
#include "uikit/UIGestureRecognizer.h"

#include <memory>

namespace zovo {

class TouchInput {
public:
    // The current process's touch screen.
    static TouchInput& current();

    bool touchDown(CGPoint screenPoint);
    bool touchMove(CGPoint screenPoint);
    bool touchUp(CGPoint screenPoint);
    // The system takes the touch away (a call comes in, say): recognisers that had begun are
    // cancelled, the others fail.
    bool touchCancel();

    // Whether a finger is down: a touch began and has not yet ended or been cancelled.
    bool isTouching() const { return down_; }
    // Where the finger is, or where it lifted last, in screen points.
    CGPoint location() const { return location_; }

private:
    enum class Phase { Move, End, Cancel };
    void deliver(Phase phase, CGPoint screenPoint);
    void finishSequence();

    bool down_ = false;
    CGPoint location_{};
    std::shared_ptr<GestureSequence> sequence_;
};

// The current process's touch screen, in one call.
bool touchDown(CGPoint screenPoint);
bool touchMove(CGPoint screenPoint);
bool touchUp(CGPoint screenPoint);
bool touchCancel();

} // namespace zovo
