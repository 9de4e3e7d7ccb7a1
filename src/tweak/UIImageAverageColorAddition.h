// The component's category on UIImage: an image's colour, for the banner's adaptive colours.
//
//   objc::Id colour = objc::send<objc::Id>(icon, "averageColor");   // a UIColor, alpha 1
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

namespace zovorudovu {
objc::Id averageColor(objc::id image);
objc::Id mergedColor(objc::id image);
// Adds the two instance methods to the UIImage class; does nothing when that class is missing.
void registerUIImageAverageColorAddition(objc::Runtime& runtime);
} // namespace zovorudovu
