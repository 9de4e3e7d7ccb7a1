// Bezier paths over CGPath, as UIKit makes them.
#pragma once

#include "objc/Object.h"
#include "uikit/CGPath.h"

using CGPathData = CGPath;

class UIBezierPath : public objc::Object {
public:
    static constexpr const char* kClassName = "UIBezierPath";

    static objc::StrongRef<UIBezierPath> bezierPathWithRect(CGRect rect);
    static objc::StrongRef<UIBezierPath> bezierPathWithRoundedRect(CGRect rect, double cornerRadius);
    static objc::StrongRef<UIBezierPath> bezierPathWithRoundedRect(CGRect rect, std::uint64_t corners, CGSize cornerRadii);

    // Valid while the path lives.
    CGPathRef CGPath() const { return &path_; }

private:
    CGPathData path_;
};
