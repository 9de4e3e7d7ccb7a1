#include "tweak/UIImageAverageColorAddition.h"

#include "tweak/ChannelSums.h"

#include "objc/Message.h"
#include "uikit/CGImage.h"
#include "uikit/UIColor.h"
#include "uikit/UIGraphics.h"

#include <algorithm>
#include <cstdint>
#include <optional>

using objc::StrongId;
using objc::id;
using objc::SEL;

namespace zovorudovu {
namespace {

struct ChannelOffsets {
    std::size_t red, green, blue;
};

// Where red, green and blue sit within one pixel, from the bitmap's description: alpha first or
// last (or skipped) in the logical word, and a 32-bit little-endian order reversing the bytes of
// that word in memory. None for an alpha-only bitmap or one too narrow to hold three channels.
std::optional<ChannelOffsets> channelOffsets(CGBitmapInfo info, std::size_t bytesPerPixel)
{
    const auto alpha = info & kCGBitmapAlphaInfoMask;
    if (alpha == kCGImageAlphaOnly || bytesPerPixel < 3) return std::nullopt;
    const bool alphaFirst = alpha == kCGImageAlphaPremultipliedFirst || alpha == kCGImageAlphaFirst || alpha == kCGImageAlphaNoneSkipFirst;
    const std::size_t red = alphaFirst ? 1 : 0;
    ChannelOffsets offsets{red, red + 1, red + 2};
    if (offsets.blue >= bytesPerPixel) return std::nullopt;
    if ((info & kCGBitmapByteOrderMask) == kCGBitmapByteOrder32Little && bytesPerPixel == 4)
        offsets = {3 - offsets.red, 3 - offsets.green, 3 - offsets.blue};
    return offsets;
}

StrongId opaqueBlack() { return UIColor::colorWithRed(0, 0, 0, 1); }

// The colour of a one-pixel image context, whose pixel is stored B, G, R, A. A context that could
// not be made (its memory could not be had) has no pixel and gives black.
StrongId colourOfContextPixel(const std::uint8_t* pixel)
{
    if (!pixel) return opaqueBlack();
    return UIColor::colorWithRed(static_cast<double>(pixel[2] / 255.0f), static_cast<double>(pixel[1] / 255.0f),
                                 static_cast<double>(pixel[0] / 255.0f), 1.0);
}

} // namespace

std::optional<std::array<double, 3>> averageOfBitmap(const BitmapDescription& b)
{
    const std::size_t bytesPerPixel = b.bitsPerPixel / 8;
    const auto offsets = channelOffsets(b.info, bytesPerPixel);
    if (b.width == 0 || b.height == 0 || !offsets || b.bytesPerRow / bytesPerPixel < b.width) return std::nullopt;
    // The last row need only reach its last pixel; anything shorter would be read past its end.
    const std::size_t lastRow = b.width * bytesPerPixel;
    if (!b.bytes || b.length < lastRow || (b.length - lastRow) / b.bytesPerRow < b.height - 1) return std::nullopt;

    // 64-bit sums: a 32-bit sum wraps beyond about 16.8 million full-intensity pixels.
    std::uint64_t red = 0, green = 0, blue = 0;
    if (bytesPerPixel == 4) {
        // Four-byte pixels, the common case, are summed a vector at a time.
        ChannelSums sums;
        const ChannelPositions at{static_cast<unsigned>(offsets->red), static_cast<unsigned>(offsets->green), static_cast<unsigned>(offsets->blue)};
        if (b.bytesPerRow == b.width * 4) addChannelSums(b.bytes, b.width * b.height, at, sums); // rows without padding are one run
        else
            for (std::size_t row = 0; row < b.height; ++row) addChannelSums(b.bytes + row * b.bytesPerRow, b.width, at, sums);
        red = sums.first;
        green = sums.second;
        blue = sums.third;
    } else {
        for (std::size_t row = 0; row < b.height; ++row) {
            const std::uint8_t* pixel = b.bytes + row * b.bytesPerRow;
            for (std::size_t column = 0; column < b.width; ++column, pixel += bytesPerPixel) {
                red += pixel[offsets->red];
                green += pixel[offsets->green];
                blue += pixel[offsets->blue];
            }
        }
    }
    // The factor stays in single precision, as the component has always computed it, so colours
    // near the light/dark threshold are judged as they always were.
    const float factor = 1.0f / (255.0f * static_cast<float>(b.width) * static_cast<float>(b.height));
    const double f = factor;
    return std::array<double, 3>{f * static_cast<double>(red), f * static_cast<double>(green), f * static_cast<double>(blue)};
}

StrongId averageColor(id image)
{
    CGImageRef bitmap = objc::send<CGImageRef>(image, "CGImage");
    // Without pixels the mean is 0/0; black keeps the colour a number.
    if (!bitmap) return opaqueBlack();
    CFDataRef data = CGDataProviderCopyData(CGImageGetDataProvider(bitmap));
    const auto mean = averageOfBitmap({CGImageGetWidth(bitmap), CGImageGetHeight(bitmap), CGImageGetBytesPerRow(bitmap),
                                       CGImageGetBitsPerPixel(bitmap), CGImageGetBitmapInfo(bitmap), CFDataGetBytePtr(data),
                                       static_cast<std::size_t>(std::max<CFIndex>(CFDataGetLength(data), 0))});
    CFRelease(data);
    if (!mean) return opaqueBlack();
    return UIColor::colorWithRed((*mean)[0], (*mean)[1], (*mean)[2], 1.0);
}

StrongId mergedColor(id image)
{
    UIGraphicsBeginImageContext(CGSizeMake(1, 1));
    CGContextRef context = UIGraphicsGetCurrentContext();
    CGContextSetInterpolationQuality(context, kCGInterpolationMedium);
    objc::send(image, "drawInRect:blendMode:alpha:", CGRectMake(0, 0, 1, 1), kCGBlendModeCopy, 1.0);
    StrongId colour = colourOfContextPixel(static_cast<const std::uint8_t*>(CGBitmapContextGetData(context)));
    UIGraphicsEndImageContext();
    return colour;
}

namespace {
StrongId averageColorMethod(id self, SEL) { return averageColor(self); }
StrongId mergedColorMethod(id self, SEL) { return mergedColor(self); }
} // namespace

void registerUIImageAverageColorAddition(objc::Runtime& runtime)
{
    objc::Class image = runtime.lookUpClass("UIImage");
    if (!image) return;
    objc::addMethod(image, objc::sel("averageColor"), averageColorMethod);
    objc::addMethod(image, objc::sel("mergedColor"), mergedColorMethod);
}

} // namespace zovorudovu
