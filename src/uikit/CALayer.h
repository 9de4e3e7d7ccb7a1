// Layers: what a view draws with. Only the properties the screen shows are kept: corner radius,
// clipping, and a mask layer whose shape cuts the layer.
#pragma once

#include "objc/Object.h"
#include "uikit/CGGeometry.h"
#include "uikit/Forward.h"

class CALayer : public objc::Object {
public:
    static constexpr const char* kClassName = "CALayer";

    double cornerRadius() const { return cornerRadius_; }
    void setCornerRadius(double radius) { cornerRadius_ = radius; }
    bool masksToBounds() const { return masksToBounds_; }
    void setMasksToBounds(bool masks) { masksToBounds_ = masks; }
    CALayer* mask() const { return mask_.get(); }
    void setMask(CALayer* mask) { mask_ = objc::retained(mask); }
    // The layer's frame. A view keeps its own layer's frame equal to the view's frame.
    CGRect frame() const { return frame_; }
    void setFrame(CGRect frame) { frame_ = frame; }
    // The view this layer draws for, or null for a free-standing layer.
    UIView* delegate() const { return delegate_.get(); }
    void setDelegate(UIView* view) { delegate_ = view; }

private:
    double cornerRadius_ = 0;
    bool masksToBounds_ = false;
    CGRect frame_{};
    objc::StrongRef<CALayer> mask_;
    objc::WeakRef<UIView> delegate_;
};
