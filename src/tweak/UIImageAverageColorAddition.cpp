#include "tweak/UIImageAverageColorAddition.h"

#include "tweak/ChannelSums.h"

#include "objc/Message.h"
#include "uikit/CGImage.h"
#include "uikit/UIColor.h"
#include "uikit/UIGraphics.h"

#include <cstdint>
#include <optional>

using objc::Id;
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

Id opaqueBlack() { return UIColor::colorWithRed(0, 0, 0, 1); }

} // namespace

Id averageColor(id image)
{
    CGImageRef bitmap = objc::send<CGImageRef>(image, "CGImage");
    const std::size_t width = CGImageGetWidth(bitmap);
    const std::size_t height = CGImageGetHeight(bitmap);
    const std::size_t bytesPerRow = CGImageGetBytesPerRow(bitmap);
    const std::size_t bytesPerPixel = CGImageGetBitsPerPixel(bitmap) / 8;
    const auto offsets = channelOffsets(CGImageGetBitmapInfo(bitmap), bytesPerPixel);
    // Without pixels the mean is 0/0; black keeps the colour a number.
    if (!bitmap || width == 0 || height == 0 || !offsets || bytesPerRow / bytesPerPixel < width) return opaqueBlack();

    CFDataRef data = CGDataProviderCopyData(CGImageGetDataProvider(bitmap));
    const std::uint8_t* bytes = CFDataGetBytePtr(data);
    const auto length = static_cast<std::size_t>(CFDataGetLength(data));
    // The last row need only reach its last pixel; anything shorter would be read past its end.
    const bool complete = bytes && length >= width * bytesPerPixel && (length - width * bytesPerPixel) / bytesPerRow >= height - 1;
    // 64-bit sums: a 32-bit sum wraps beyond about 16.8 million full-intensity pixels.
    std::uint64_t red = 0, green = 0, blue = 0;
    if (complete && bytesPerPixel == 4) {
        // Four-byte pixels, the common case, are summed a vector at a time.
        ChannelSums sums;
        const ChannelPositions at{static_cast<unsigned>(offsets->red), static_cast<unsigned>(offsets->green), static_cast<unsigned>(offsets->blue)};
        if (bytesPerRow == width * 4) addChannelSums(bytes, width * height, at, sums); // rows without padding are one run
        else
            for (std::size_t row = 0; row < height; ++row) addChannelSums(bytes + row * bytesPerRow, width, at, sums);
        red = sums.first;
        green = sums.second;
        blue = sums.third;
    } else if (complete) {
        for (std::size_t row = 0; row < height; ++row) {
            const std::uint8_t* pixel = bytes + row * bytesPerRow;
            for (std::size_t column = 0; column < width; ++column, pixel += bytesPerPixel) {
                red += pixel[offsets->red];
                green += pixel[offsets->green];
                blue += pixel[offsets->blue];
            }
        }
    }
    CFRelease(data);
    if (!complete) return opaqueBlack();

    // The factor stays in single precision, as the component has always computed it, so colours
    // near the light/dark threshold are judged as they always were.
    const float factor = 1.0f / (255.0f * static_cast<float>(width) * static_cast<float>(height));
    const double f = factor;
    return UIColor::colorWithRed(f * static_cast<double>(red), f * static_cast<double>(green), f * static_cast<double>(blue), 1.0);
}

Id mergedColor(id image)
{
    UIGraphicsBeginImageContext(CGSizeMake(1, 1));
    CGContextRef context = UIGraphicsGetCurrentContext();
    CGContextSetInterpolationQuality(context, kCGInterpolationMedium);
    objc::send(image, "drawInRect:blendMode:alpha:", CGRectMake(0, 0, 1, 1), kCGBlendModeCopy, 1.0);
    // The context's one pixel is stored B, G, R, A.
    const auto* pixel = static_cast<const std::uint8_t*>(CGBitmapContextGetData(context));
    Id colour = pixel ? UIColor::colorWithRed(static_cast<double>(pixel[2] / 255.0f), static_cast<double>(pixel[1] / 255.0f),
                                              static_cast<double>(pixel[0] / 255.0f), 1.0)
                      : opaqueBlack();
    UIGraphicsEndImageContext();
    return colour;
}

namespace {
Id averageColorMethod(id self, SEL) { return averageColor(self); }
Id mergedColorMethod(id self, SEL) { return mergedColor(self); }
} // namespace

void registerUIImageAverageColorAddition(objc::Runtime& runtime)
{
    objc::Class image = runtime.lookUpClass("UIImage");
    if (!image) return;
    objc::addMethod(image, objc::sel("averageColor"), averageColorMethod);
    objc::addMethod(image, objc::sel("mergedColor"), mergedColorMethod);
}

} // namespace zovorudovu
