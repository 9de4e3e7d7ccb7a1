#include "uikit/UIColor.h"

objc::Ref<UIColor> UIColor::colorWithRed(double red, double green, double blue, double alpha)
{
    auto color = objc::make<UIColor>();
    color->color_ = {{red, green, blue, alpha}};
    return color;
}

objc::Ref<UIColor> UIColor::blackColor() { return colorWithRed(0, 0, 0, 1); }
objc::Ref<UIColor> UIColor::whiteColor() { return colorWithRed(1, 1, 1, 1); }
// The platform's named grey is 50% white.
objc::Ref<UIColor> UIColor::grayColor() { return colorWithRed(0.5, 0.5, 0.5, 1); }
objc::Ref<UIColor> UIColor::clearColor() { return colorWithRed(0, 0, 0, 0); }
