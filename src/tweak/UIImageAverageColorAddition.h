// The component's category on UIImage: an image's colour, for the banner's adaptive colours.
//
//   objc::StrongId colour = objc::send<objc::StrongId>(icon, "averageColor");   // a UIColor, alpha 1
//
// averageColor is the mean of every pixel's red, green and blue bytes, read by the bitmap's own
// channel order, so a red icon is red whether its bytes are RGBA or BGRA. The stored bytes are
// averaged as they are: for a premultiplied bitmap that is the colour over black, for a straight
// one the colour with coverage ignored. An image with no bitmap, no pixels or a layout that
// cannot be read gives opaque black.
//
// mergedColor lets the platform scale the image down to one pixel (medium interpolation) and
// reads that pixel, again as the colour over black.
#pragma once

#include "objc/Object.h"
#include "objc/Runtime.h"
#include "uikit/CGImage.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace zovorudovu {

// A bitmap as the platform describes it, and the copy of its bytes.
struct BitmapDescription {
    std::size_t width = 0, height = 0;
    std::size_t bytesPerRow = 0;
    std::size_t bitsPerPixel = 0;
    CGBitmapInfo info = 0;
    const std::uint8_t* bytes = nullptr;
    std::size_t length = 0;
};

// The mean red, green and blue bytes of every pixel, as fractions of 255; none when the
// description cannot be read: no pixels, alpha only, fewer than three colour bytes a pixel, rows
// narrower than their width, or bytes that end before the last pixel.
std::optional<std::array<double, 3>> averageOfBitmap(const BitmapDescription& bitmap);

objc::StrongId averageColor(objc::id image);
objc::StrongId mergedColor(objc::id image);
// Adds the two instance methods to the UIImage class; does nothing when that class is missing.
void registerUIImageAverageColorAddition(objc::Runtime& runtime);
} // namespace zovorudovu
