#include "uikit/CALayer.h"

#include "uikit/UIView.h"

CGRect CALayer::frame() const
{
    if (UIView* view = delegate()) return view->frame();
    return frame_;
}
