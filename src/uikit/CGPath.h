// Paths: immutable sequences of moves, lines and cubic curves in points. A path made as a
// rounded rectangle also remembers that shape, so tools can describe it without reading curves.
#pragma once

#include "uikit/CGGeometry.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The platform's corner bits for rounded rectangles.
enum UIRectCorner : std::uint64_t {
    UIRectCornerTopLeft = 1,
    UIRectCornerTopRight = 2,
    UIRectCornerBottomLeft = 4,
    UIRectCornerBottomRight = 8,
    UIRectCornerAllCorners = 15,
};

struct CGPathElement {
    enum class Type { MoveTo, LineTo, CurveTo, Close };
    Type type;
    CGPoint points[3]; // LineTo and MoveTo use the first; CurveTo: two control points, then the end
};

struct CGPath {
    struct RoundedRect {
        CGRect rect;
        std::uint64_t corners; // UIRectCorner bits
        CGSize radii;          // as asked for, before clamping to the rectangle
    };

    std::vector<CGPathElement> elements;
    std::optional<RoundedRect> roundedRect;

    // A rectangle with the chosen corners rounded by circular arcs of radius `radii.width`, clamped
    // to half the shorter side; a negative radius counts as zero.
    static CGPath roundedRectangle(CGRect rect, std::uint64_t corners, CGSize radii);
    static CGPath rectangle(CGRect rect);

    CGRect boundingBox() const;
};
using CGPathRef = const CGPath*;

namespace objc {
template <> struct TypeEncoding<CGPathRef> { static std::string get() { return "^{CGPath=}"; } };
} // namespace objc
