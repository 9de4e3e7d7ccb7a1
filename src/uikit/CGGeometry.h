// Points, sizes and rectangles in points, as doubles, with the platform's encodings so they can
// cross a message send.
#pragma once

#include "objc/Encoding.h"

#include <algorithm>
#include <limits>
#include <string>

struct CGPoint {
    double x = 0, y = 0;
    friend bool operator==(const CGPoint&, const CGPoint&) = default;
};
struct CGSize {
    double width = 0, height = 0;
    friend bool operator==(const CGSize&, const CGSize&) = default;
};
struct CGRect {
    CGPoint origin;
    CGSize size;
    friend bool operator==(const CGRect&, const CGRect&) = default;
};

inline constexpr CGRect CGRectZero{};
inline CGRect CGRectMake(double x, double y, double w, double h) { return CGRect{{x, y}, {w, h}}; }
inline CGPoint CGPointMake(double x, double y) { return CGPoint{x, y}; }
inline CGSize CGSizeMake(double w, double h) { return CGSize{w, h}; }
inline double CGRectGetMinX(const CGRect& r) { return r.origin.x; }
inline double CGRectGetMinY(const CGRect& r) { return r.origin.y; }
inline double CGRectGetMaxX(const CGRect& r) { return r.origin.x + r.size.width; }
inline double CGRectGetMaxY(const CGRect& r) { return r.origin.y + r.size.height; }
inline double CGRectGetMidX(const CGRect& r) { return r.origin.x + r.size.width / 2; }
inline double CGRectGetMidY(const CGRect& r) { return r.origin.y + r.size.height / 2; }
inline bool CGRectContainsPoint(const CGRect& r, const CGPoint& p)
{
    return p.x >= r.origin.x && p.x < CGRectGetMaxX(r) && p.y >= r.origin.y && p.y < CGRectGetMaxY(r);
}

// The null rectangle: the empty set, as an intersection of rectangles that do not meet returns.
// It is not CGRectZero (a point-sized rectangle at the origin): it adds nothing to a union.
inline constexpr CGRect CGRectNull{{std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity()}, {0, 0}};
inline bool CGRectIsNull(const CGRect& r)
{
    return r.origin.x == std::numeric_limits<double>::infinity() || r.origin.y == std::numeric_limits<double>::infinity();
}

// Whether the rectangle covers no area: null, or no width or no height.
inline bool CGRectIsEmpty(const CGRect& r) { return CGRectIsNull(r) || r.size.width == 0 || r.size.height == 0; }

// The same rectangle with a width and height of zero or more: a negative size moves the origin.
inline CGRect CGRectStandardize(const CGRect& r)
{
    if (CGRectIsNull(r)) return CGRectNull;
    CGRect s = r;
    if (s.size.width < 0) {
        s.origin.x += s.size.width;
        s.size.width = -s.size.width;
    }
    if (s.size.height < 0) {
        s.origin.y += s.size.height;
        s.size.height = -s.size.height;
    }
    return s;
}

// Where two rectangles overlap, standardized; null when they do not meet or either is null.
// Rectangles that only touch share an edge of zero width or height, which is not null.
inline CGRect CGRectIntersection(const CGRect& a, const CGRect& b)
{
    if (CGRectIsNull(a) || CGRectIsNull(b)) return CGRectNull;
    const CGRect r1 = CGRectStandardize(a), r2 = CGRectStandardize(b);
    const double x = std::max(r1.origin.x, r2.origin.x), y = std::max(r1.origin.y, r2.origin.y);
    const double maxX = std::min(CGRectGetMaxX(r1), CGRectGetMaxX(r2));
    const double maxY = std::min(CGRectGetMaxY(r1), CGRectGetMaxY(r2));
    if (!(x <= maxX && y <= maxY)) return CGRectNull;
    return CGRectMake(x, y, maxX - x, maxY - y);
}

// The smallest rectangle holding both, standardized. A null rectangle adds nothing; an empty one
// (a size of zero) still counts where it stands.
inline CGRect CGRectUnion(const CGRect& a, const CGRect& b)
{
    if (CGRectIsNull(a)) return CGRectStandardize(b);
    if (CGRectIsNull(b)) return CGRectStandardize(a);
    const CGRect r1 = CGRectStandardize(a), r2 = CGRectStandardize(b);
    const double x = std::min(r1.origin.x, r2.origin.x), y = std::min(r1.origin.y, r2.origin.y);
    return CGRectMake(x, y, std::max(CGRectGetMaxX(r1), CGRectGetMaxX(r2)) - x, std::max(CGRectGetMaxY(r1), CGRectGetMaxY(r2)) - y);
}

// The rectangle standardized and moved in by dx on the left and right and dy on the top and
// bottom (out for negative values); null when that leaves a negative width or height.
inline CGRect CGRectInset(const CGRect& rect, double dx, double dy)
{
    if (CGRectIsNull(rect)) return CGRectNull;
    const CGRect r = CGRectStandardize(rect);
    const CGRect inset = CGRectMake(r.origin.x + dx, r.origin.y + dy, r.size.width - 2 * dx, r.size.height - 2 * dy);
    if (!(inset.size.width >= 0 && inset.size.height >= 0)) return CGRectNull;
    return inset;
}

namespace objc {
template <> struct TypeEncoding<CGPoint> { static std::string get() { return "{CGPoint=dd}"; } };
template <> struct TypeEncoding<CGSize> { static std::string get() { return "{CGSize=dd}"; } };
template <> struct TypeEncoding<CGRect> { static std::string get() { return "{CGRect={CGPoint=dd}{CGSize=dd}}"; } };
} // namespace objc
