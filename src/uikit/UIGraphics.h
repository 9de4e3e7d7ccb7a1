// Bitmap drawing contexts: a per-thread stack of offscreen bitmaps that images draw into.
//
//   UIGraphicsBeginImageContext(CGSizeMake(1, 1));           // pushed and current
//   CGContextRef context = UIGraphicsGetCurrentContext();
//   CGContextSetInterpolationQuality(context, kCGInterpolationMedium);
//   icon->drawInRect(CGRectMake(0, 0, 1, 1), kCGBlendModeCopy, 1.0);
//   const auto* pixel = static_cast<const std::uint8_t*>(CGBitmapContextGetData(context));
//   UIGraphicsEndImageContext();                             // pops it; `pixel` is gone too
//
// A context holds width × height pixels of four bytes, B, G, R, A in memory with premultiplied
// alpha, rows CGBitmapContextGetBytesPerRow apart; it starts fully transparent. Drawing is in
// points from the top-left corner, scaled by the context's scale. An opaque context has no alpha:
// it starts black and the fourth byte of its pixels is unspecified.
//
// Every Begin pushes one entry, even when no bitmap can be made for it (a size that is zero,
// negative, not a number or too large): that entry has no context, so UIGraphicsGetCurrentContext
// answers null while it is on top, and the matching End pops it without disturbing the contexts
// below. An End with nothing on the stack does nothing.
#pragma once

#include "objc/Object.h"
#include "uikit/CGGeometry.h"
#include "uikit/CGImage.h"
#include "uikit/Forward.h"

#include <cstddef>
#include <cstdint>

struct CGContext;
using CGContextRef = CGContext*;

// The platform's values. Sent through messages as a 32-bit integer ("i"), as the platform's
// enumeration is.
using CGBlendMode = std::int32_t;
inline constexpr CGBlendMode kCGBlendModeNormal = 0;
inline constexpr CGBlendMode kCGBlendModeMultiply = 1;
inline constexpr CGBlendMode kCGBlendModeScreen = 2;
inline constexpr CGBlendMode kCGBlendModeOverlay = 3;
inline constexpr CGBlendMode kCGBlendModeDarken = 4;
inline constexpr CGBlendMode kCGBlendModeLighten = 5;
inline constexpr CGBlendMode kCGBlendModeColorDodge = 6;
inline constexpr CGBlendMode kCGBlendModeColorBurn = 7;
inline constexpr CGBlendMode kCGBlendModeSoftLight = 8;
inline constexpr CGBlendMode kCGBlendModeHardLight = 9;
inline constexpr CGBlendMode kCGBlendModeDifference = 10;
inline constexpr CGBlendMode kCGBlendModeExclusion = 11;
inline constexpr CGBlendMode kCGBlendModeHue = 12;
inline constexpr CGBlendMode kCGBlendModeSaturation = 13;
inline constexpr CGBlendMode kCGBlendModeColor = 14;
inline constexpr CGBlendMode kCGBlendModeLuminosity = 15;
inline constexpr CGBlendMode kCGBlendModeClear = 16;
inline constexpr CGBlendMode kCGBlendModeCopy = 17;
inline constexpr CGBlendMode kCGBlendModeSourceIn = 18;
inline constexpr CGBlendMode kCGBlendModeSourceOut = 19;
inline constexpr CGBlendMode kCGBlendModeSourceAtop = 20;
inline constexpr CGBlendMode kCGBlendModeDestinationOver = 21;
inline constexpr CGBlendMode kCGBlendModeDestinationIn = 22;
inline constexpr CGBlendMode kCGBlendModeDestinationOut = 23;
inline constexpr CGBlendMode kCGBlendModeDestinationAtop = 24;
inline constexpr CGBlendMode kCGBlendModeXOR = 25;
inline constexpr CGBlendMode kCGBlendModePlusDarker = 26;
inline constexpr CGBlendMode kCGBlendModePlusLighter = 27;

enum CGInterpolationQuality : std::int32_t {
    kCGInterpolationDefault = 0,
    kCGInterpolationNone = 1,
    kCGInterpolationLow = 2,
    kCGInterpolationMedium = 4,
    kCGInterpolationHigh = 3,
};

// A context of `size` points at scale 1, not opaque.
void UIGraphicsBeginImageContext(CGSize size);
// Scale 0 takes the main screen's scale. Pixel sides are the point sides times the scale,
// rounded up; each side may be at most zovo::kMaxImageSide pixels.
void UIGraphicsBeginImageContextWithOptions(CGSize size, bool opaque, double scale);
CGContextRef UIGraphicsGetCurrentContext();
// A snapshot of the current context's pixels at the context's scale, or nil without a context.
objc::StrongRef<UIImage> UIGraphicsGetImageFromCurrentImageContext();
void UIGraphicsEndImageContext();

// Unknown values draw as the default quality.
void CGContextSetInterpolationQuality(CGContextRef context, CGInterpolationQuality quality);

// The pixels, writable, valid until the context ends. Null for a null context.
void* CGBitmapContextGetData(CGContextRef context);
std::size_t CGBitmapContextGetWidth(CGContextRef context);
std::size_t CGBitmapContextGetBytesPerRow(CGContextRef context);

namespace zovo {

// Draws `image` scaled to fill `rect` (points) with the blend mode and alpha given, clipped to
// `rect`, with the context's interpolation quality; edge pixels are repeated rather than faded
// when filtering. Blend modes without an equivalent here (plus darker, unknown values) draw as
// normal. Draws nothing for a null context or image, an image with no pixels, a rectangle under a
// millionth of a point either way, or coordinates that are not finite or beyond a million points. Alpha is clamped to 0...1.
void drawImage(CGContextRef context, CGImageRef image, CGRect rect, CGBlendMode mode, double alpha);

// Entries on this thread's context stack, with or without a bitmap.
std::size_t imageContextDepth();

} // namespace zovo
