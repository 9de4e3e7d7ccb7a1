// Points, sizes and rectangles in points, as doubles, with the platform's encodings so they can
// cross a message send.
#pragma once

#include "objc/Encoding.h"

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

namespace objc {
template <> struct TypeEncoding<CGPoint> { static std::string get() { return "{CGPoint=dd}"; } };
template <> struct TypeEncoding<CGSize> { static std::string get() { return "{CGSize=dd}"; } };
template <> struct TypeEncoding<CGRect> { static std::string get() { return "{CGRect={CGPoint=dd}{CGSize=dd}}"; } };
} // namespace objc
