// Gesture recognisers: state machines fed with the touches of the view they are attached to.
#pragma once

#include "objc/Object.h"
#include "uikit/Forward.h"

class UIGestureRecognizer : public objc::Object {
public:
    static constexpr const char* kClassName = "UIGestureRecognizer";

    // The view the recogniser is attached to, or null. Set by UIView's add/removeGestureRecognizer.
    UIView* view() const { return view_.get(); }
    void setView(UIView* view) { view_ = view; }

private:
    objc::WeakRef<UIView> view_;
};
