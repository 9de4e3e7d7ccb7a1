#include "uikit/UIBezierPath.h"

objc::StrongRef<UIBezierPath> UIBezierPath::bezierPathWithRect(CGRect rect)
{
    auto path = objc::make<UIBezierPath>();
    path->path_ = ::CGPath::rectangle(rect);
    return path;
}

objc::StrongRef<UIBezierPath> UIBezierPath::bezierPathWithRoundedRect(CGRect rect, double cornerRadius)
{
    return bezierPathWithRoundedRect(rect, UIRectCornerAllCorners, CGSizeMake(cornerRadius, cornerRadius));
}

objc::StrongRef<UIBezierPath> UIBezierPath::bezierPathWithRoundedRect(CGRect rect, std::uint64_t corners, CGSize cornerRadii)
{
    auto path = objc::make<UIBezierPath>();
    path->path_ = ::CGPath::roundedRectangle(rect, corners, cornerRadii);
    return path;
}
