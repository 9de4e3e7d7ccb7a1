// The banner's lower body: the view at the back of every banner window, sized and coloured by the
// content update, and, when the grabber setting was on at construction, carrying a small grey
// pill near its bottom edge.
#pragma once

#include "objc/Runtime.h"
#include "uikit/UIView.h"

class BLBottomGrabberView : public UIView {
public:
    static constexpr const char* kClassName = "BLBottomGrabberView";

    objc::StrongId pill; // UIView; null when the grabber was off at construction
};

// Registers the class under UIView with initWithFrame:, layoutSubviews and the pill accessors.
void registerBLBottomGrabberView(objc::Runtime& runtime);
