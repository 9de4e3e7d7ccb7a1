#include "UIKitFixture.h"

#include "objc/Message.h"
#include "uikit/UIGraphics.h"
#include "uikit/UIImage.h"

#include <array>
#include <cmath>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

namespace {

using Pixel = std::array<std::uint8_t, 4>; // B, G, R, A as the context stores them
constexpr zovo::PixelFormat kRGBAStraight{zovo::ChannelOrder::RGBA, zovo::AlphaMode::Straight};
constexpr Pixel kClear{0, 0, 0, 0};
constexpr Pixel kRed{0, 0, 255, 255};

class Graphics : public UIKitFixture {
protected:
    ~Graphics() override
    {
        // A case that leaves contexts behind would hand them to the next one on this thread.
        EXPECT_EQ(zovo::imageContextDepth(), 0u);
        while (zovo::imageContextDepth() > 0) UIGraphicsEndImageContext();
    }

    // An image of straight RGBA pixels: `left` throughout, or in the left half only when `right`
    // is given.
    static objc::StrongRef<UIImage> image(std::size_t width, std::size_t height, Pixel left, std::optional<Pixel> right = {})
    {
        std::vector<std::uint8_t> bytes;
        for (std::size_t i = 0; i < width * height; ++i) {
            const Pixel p = i % width < width / 2 ? left : right.value_or(left);
            bytes.insert(bytes.end(), p.begin(), p.end());
        }
        return UIImage::fromPixels(width, height, kRGBAStraight, std::move(bytes));
    }
    // A pixel of the current context.
    static Pixel pixelAt(std::size_t x, std::size_t y)
    {
        CGContextRef context = UIGraphicsGetCurrentContext();
        const auto* data = static_cast<const std::uint8_t*>(CGBitmapContextGetData(context));
        const std::uint8_t* p = data + y * CGBitmapContextGetBytesPerRow(context) + x * 4;
        return {p[0], p[1], p[2], p[3]};
    }
};

TEST_F(Graphics, ContextsNestEachBeginPairsWithOneEndEvenWithoutABitmapAndPixelsArePointsTimesScale)
{
    UIGraphicsBeginImageContext(CGSizeMake(2, 2));
    CGContextRef outer = UIGraphicsGetCurrentContext();
    ASSERT_NE(outer, nullptr);
    UIGraphicsBeginImageContext(CGSizeMake(3, 1));
    EXPECT_EQ(CGBitmapContextGetWidth(UIGraphicsGetCurrentContext()), 3u);
    UIGraphicsEndImageContext();
    EXPECT_EQ(UIGraphicsGetCurrentContext(), outer);

    const std::pair<CGSize, double> unusable[] = {
        {CGSizeMake(0, 1), 1}, {CGSizeMake(std::nan(""), 1), 1}, {CGSizeMake(double(zovo::kMaxImageSide) + 1, 1), 1}, {CGSizeMake(1, 1), -2}};
    for (const auto& [size, scale] : unusable) {
        UIGraphicsBeginImageContextWithOptions(size, false, scale);
        EXPECT_EQ(UIGraphicsGetCurrentContext(), nullptr) << size.width << " x " << size.height << " @" << scale;
        EXPECT_EQ(UIGraphicsGetImageFromCurrentImageContext(), nullptr);
        UIGraphicsEndImageContext();
        EXPECT_EQ(UIGraphicsGetCurrentContext(), outer) << "the failed Begin's End must not pop the outer context";
    }
    UIGraphicsEndImageContext();

    // Ends without a Begin change nothing and do not crash.
    UIGraphicsEndImageContext();
    EXPECT_EQ(UIGraphicsGetCurrentContext(), nullptr);
    EXPECT_EQ(CGBitmapContextGetData(nullptr), nullptr);

    // The pixel size is points times scale, rounded up.
    UIGraphicsBeginImageContext(CGSizeMake(2.5, 1));
    EXPECT_EQ(CGBitmapContextGetWidth(UIGraphicsGetCurrentContext()), 3u);
    UIGraphicsEndImageContext();
    UIGraphicsBeginImageContextWithOptions(CGSizeMake(100.1, 1), false, 10);
    EXPECT_EQ(CGBitmapContextGetWidth(UIGraphicsGetCurrentContext()), 1001u) << "rounding noise does not add a column";
    EXPECT_EQ(UIGraphicsGetImageFromCurrentImageContext()->size(), CGSizeMake(100.1, 1)) << "snapshots keep the scale";
    UIGraphicsEndImageContext();
    // Drawing is in points: one point at scale 2 covers two by two pixels.
    UIGraphicsBeginImageContextWithOptions(CGSizeMake(2, 2), false, 2);
    image(1, 1, {255, 0, 0, 255})->drawInRect(CGRectMake(0, 0, 1, 1), kCGBlendModeCopy, 1.0);
    EXPECT_EQ(pixelAt(1, 1), kRed);
    EXPECT_EQ(pixelAt(2, 2), kClear);
    UIGraphicsEndImageContext();
}

TEST_F(Graphics, ContextsStartTransparentCopyReplacesOnlyItsRectangleUnusableDrawingsChangeNothingAndQualityDecidesShrinking)
{
    auto blue = image(1, 1, {0, 0, 255, 255});
    auto halfRed = image(1, 1, {255, 0, 0, 128});
    UIGraphicsBeginImageContext(CGSizeMake(4, 1));
    blue->drawInRect(CGRectMake(0, 0, 3, 1), kCGBlendModeNormal, 1.0);
    halfRed->drawInRect(CGRectMake(0, 0, 1, 1), kCGBlendModeNormal, 1.0);
    halfRed->drawInRect(CGRectMake(1, 0, 1, 1), kCGBlendModeCopy, 1.0);
    const Pixel over = pixelAt(0, 0);
    EXPECT_NEAR(over[2], 128, 1) << "red lands in byte 2";
    EXPECT_NEAR(over[0], 127, 1);
    EXPECT_EQ(over[3], 255);
    EXPECT_EQ(pixelAt(1, 0), (Pixel{0, 0, 128, 128})) << "copy keeps the source's coverage, premultiplied";
    EXPECT_EQ(pixelAt(2, 0), (Pixel{255, 0, 0, 255})) << "copy must not clear outside its rectangle";
    EXPECT_EQ(pixelAt(3, 0), kClear);

    blue->drawInRect(CGRectMake(0, 0, 1, 1), kCGBlendModeNormal, 0.5);
    EXPECT_NEAR(pixelAt(0, 0)[0], 191, 2) << "alpha scales the drawing";
    UIGraphicsEndImageContext();

    // Unusable drawings change nothing and leave the context working.
    auto red = image(2, 2, {255, 0, 0, 255});
    UIGraphicsBeginImageContext(CGSizeMake(2, 2));
    const double inf = std::numeric_limits<double>::infinity();
    for (const CGRect& rect : {CGRectMake(0, 0, -2, 2), CGRectMake(std::nan(""), 0, 2, 2), CGRectMake(0, 0, inf, 2),
                               CGRectMake(0, 0, 1e300, 1e300), CGRectMake(0, 0, 1e-300, 1e-300)})
        red->drawInRect(rect, kCGBlendModeCopy, 1.0);
    red->drawInRect(CGRectMake(0, 0, 2, 2), kCGBlendModeNormal, std::nan(""));
    zovo::drawImage(UIGraphicsGetCurrentContext(), nullptr, CGRectMake(0, 0, 2, 2), kCGBlendModeCopy, 1.0);
    EXPECT_THROW(objc::send(red, "drawInRect:blendMode:alpha:", CGRectMake(0, 0, 2, 2), std::int64_t{17}, 1.0), objc::RuntimeError)
        << "the blend mode is a 32-bit integer";
    EXPECT_EQ(pixelAt(0, 0), kClear);

    objc::send(red, "drawInRect:blendMode:alpha:", CGRectMake(0, 0, 2, 2), kCGBlendModeNormal, 1.0);
    EXPECT_EQ(pixelAt(1, 1), kRed);
    UIGraphicsEndImageContext();
    red->drawInRect(CGRectMake(0, 0, 2, 2), kCGBlendModeNormal, 1.0); // no context: nothing happens

    // Interpolation quality decides how images shrink.
    auto split = image(8, 8, {255, 0, 0, 255}, Pixel{0, 0, 255, 255});
    auto shrink = [&](CGInterpolationQuality quality) {
        UIGraphicsBeginImageContext(CGSizeMake(1, 1));
        CGContextSetInterpolationQuality(UIGraphicsGetCurrentContext(), quality);
        split->drawInRect(CGRectMake(0, 0, 1, 1), kCGBlendModeCopy, 1.0);
        const Pixel p = pixelAt(0, 0);
        UIGraphicsEndImageContext();
        return p;
    };
    const Pixel nearest = shrink(kCGInterpolationNone);
    EXPECT_TRUE(nearest == kRed || nearest == (Pixel{255, 0, 0, 255})) << "one source pixel, unblended";
    const Pixel mixed = shrink(kCGInterpolationMedium);
    EXPECT_NEAR(mixed[2], 128, 8);
    EXPECT_NEAR(mixed[0], 128, 8);
    EXPECT_EQ(mixed[3], 255) << "edges are not faded into transparency";
}

} // namespace
