#include "uikit/UIColor.h"

objc::StrongRef<UIColor> UIColor::colorWithRed(double red, double green, double blue, double alpha)
{
    auto color = objc::make<UIColor>();
    color->color_ = {{red, green, blue, alpha}};
    return color;
}

objc::StrongRef<UIColor> UIColor::blackColor() { return colorWithRed(0, 0, 0, 1); }
objc::StrongRef<UIColor> UIColor::whiteColor() { return colorWithRed(1, 1, 1, 1); }
// The platform's named grey is 50% white.
objc::StrongRef<UIColor> UIColor::grayColor() { return colorWithRed(0.5, 0.5, 0.5, 1); }
objc::StrongRef<UIColor> UIColor::clearColor() { return colorWithRed(0, 0, 0, 0); }
