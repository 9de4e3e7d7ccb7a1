#include "uikit/CGPath.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
// Control-point distance for a quarter ellipse drawn as one cubic curve.
constexpr double kKappa = 0.5522847498307936;
}

CGPath CGPath::rectangle(CGRect r)
{
    return roundedRectangle(r, 0, CGSizeMake(0, 0));
}

CGPath CGPath::roundedRectangle(CGRect r, std::uint64_t corners, CGSize radii)
{
    CGPath path;
    path.roundedRect = RoundedRect{r, corners, radii};
    const double x0 = CGRectGetMinX(r), y0 = CGRectGetMinY(r), x1 = CGRectGetMaxX(r), y1 = CGRectGetMaxY(r);
    // As on the platform, corners are circular: the radius is the width of `radii`, clamped to
    // half the shorter side.
    const double limit = std::max(0.0, std::min(r.size.width, r.size.height) / 2);
    const double rx = std::isnan(radii.width) ? 0.0 : std::clamp(radii.width, 0.0, limit);
    const double ry = rx;
    auto radiusAt = [&](std::uint64_t corner) { return (corners & corner) ? CGSizeMake(rx, ry) : CGSizeMake(0, 0); };
    auto move = [&](double x, double y) { path.elements.push_back({CGPathElement::Type::MoveTo, {{x, y}}}); };
    auto line = [&](double x, double y) { path.elements.push_back({CGPathElement::Type::LineTo, {{x, y}}}); };
    auto curve = [&](CGPoint c1, CGPoint c2, CGPoint end) { path.elements.push_back({CGPathElement::Type::CurveTo, {c1, c2, end}}); };

    const CGSize tl = radiusAt(UIRectCornerTopLeft), tr = radiusAt(UIRectCornerTopRight);
    const CGSize br = radiusAt(UIRectCornerBottomRight), bl = radiusAt(UIRectCornerBottomLeft);
    // Clockwise from the end of the top-left corner.
    move(x0 + tl.width, y0);
    line(x1 - tr.width, y0);
    if (tr.width > 0) curve({x1 - tr.width * (1 - kKappa), y0}, {x1, y0 + tr.height * (1 - kKappa)}, {x1, y0 + tr.height});
    line(x1, y1 - br.height);
    if (br.width > 0) curve({x1, y1 - br.height * (1 - kKappa)}, {x1 - br.width * (1 - kKappa), y1}, {x1 - br.width, y1});
    line(x0 + bl.width, y1);
    if (bl.width > 0) curve({x0 + bl.width * (1 - kKappa), y1}, {x0, y1 - bl.height * (1 - kKappa)}, {x0, y1 - bl.height});
    line(x0, y0 + tl.height);
    if (tl.width > 0) curve({x0, y0 + tl.height * (1 - kKappa)}, {x0 + tl.width * (1 - kKappa), y0}, {x0 + tl.width, y0});
    path.elements.push_back({CGPathElement::Type::Close, {}});
    return path;
}

CGRect CGPath::boundingBox() const
{
    double minX = std::numeric_limits<double>::infinity(), minY = minX;
    double maxX = -minX, maxY = -minX;
    for (const auto& e : elements) {
        const int n = e.type == CGPathElement::Type::CurveTo ? 3 : e.type == CGPathElement::Type::Close ? 0 : 1;
        for (int i = 0; i < n; ++i) {
            minX = std::min(minX, e.points[i].x);
            minY = std::min(minY, e.points[i].y);
            maxX = std::max(maxX, e.points[i].x);
            maxY = std::max(maxY, e.points[i].y);
        }
    }
    if (minX > maxX) return CGRectZero;
    return CGRectMake(minX, minY, maxX - minX, maxY - minY);
}
