// Colours: red, green, blue and alpha as doubles from 0 to 1.
#pragma once

#include "objc/Object.h"

struct CGColor {
    double components[4]; // red, green, blue, alpha
};
using CGColorRef = const CGColor*;

// The colour's components in order (red, green, blue, alpha), valid while the colour lives.
inline const double* CGColorGetComponents(CGColorRef color) { return color ? color->components : nullptr; }

class UIColor : public objc::Object {
public:
    static constexpr const char* kClassName = "UIColor";

    static objc::StrongRef<UIColor> colorWithRed(double red, double green, double blue, double alpha);
    static objc::StrongRef<UIColor> blackColor();
    static objc::StrongRef<UIColor> whiteColor();
    static objc::StrongRef<UIColor> grayColor();
    static objc::StrongRef<UIColor> clearColor();

    double red() const { return color_.components[0]; }
    double green() const { return color_.components[1]; }
    double blue() const { return color_.components[2]; }
    double alpha() const { return color_.components[3]; }
    CGColorRef CGColor() const { return &color_; }

private:
    ::CGColor color_{{0, 0, 0, 1}};
};
