#include "foundation/Process.h"
#include "objc/Message.h"
#include "uikit/UIGraphics.h"
#include "uikit/UIImage.h"
#include "uikit/UIKitClasses.h"
#include "uikit/UIScreen.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <thread>
#include <vector>

namespace {

using Pixel = std::array<std::uint8_t, 4>; // B, G, R, A as the context stores them
constexpr zovo::PixelFormat kRGBAStraight{zovo::ChannelOrder::RGBA, zovo::AlphaMode::Straight};

class Graphics : public ::testing::Test {
protected:
    Graphics() { registerUIKitClasses(process.runtime()); }
    ~Graphics() override
    {
        // A case that leaves contexts behind would hand them to the next one on this thread.
        EXPECT_EQ(zovo::imageContextDepth(), 0u);
        while (zovo::imageContextDepth() > 0) UIGraphicsEndImageContext();
    }

    static objc::Ref<UIImage> solid(std::size_t width, std::size_t height, std::array<std::uint8_t, 4> rgba)
    {
        std::vector<std::uint8_t> bytes;
        for (std::size_t i = 0; i < width * height; ++i) bytes.insert(bytes.end(), rgba.begin(), rgba.end());
        return UIImage::fromPixels(width, height, kRGBAStraight, std::move(bytes));
    }
    // Left half red, right half blue.
    static objc::Ref<UIImage> split(std::size_t side)
    {
        std::vector<std::uint8_t> bytes;
        for (std::size_t y = 0; y < side; ++y)
            for (std::size_t x = 0; x < side; ++x) {
                const bool left = x < side / 2;
                bytes.insert(bytes.end(), {std::uint8_t(left ? 255 : 0), 0, std::uint8_t(left ? 0 : 255), 255});
            }
        return UIImage::fromPixels(side, side, kRGBAStraight, std::move(bytes));
    }
    static Pixel pixelAt(CGContextRef context, std::size_t x, std::size_t y)
    {
        const auto* data = static_cast<const std::uint8_t*>(CGBitmapContextGetData(context));
        const std::uint8_t* p = data + y * CGBitmapContextGetBytesPerRow(context) + x * 4;
        return {p[0], p[1], p[2], p[3]};
    }

    zovo::Process process;
};

TEST_F(Graphics, ContextsNestAndEndInReverse)
{
    UIGraphicsBeginImageContext(CGSizeMake(2, 2));
    CGContextRef outer = UIGraphicsGetCurrentContext();
    ASSERT_NE(outer, nullptr);
    UIGraphicsBeginImageContext(CGSizeMake(3, 1));
    CGContextRef inner = UIGraphicsGetCurrentContext();
    ASSERT_NE(inner, nullptr);
    EXPECT_NE(inner, outer);
    EXPECT_EQ(CGBitmapContextGetWidth(inner), 3u);
    UIGraphicsEndImageContext();
    EXPECT_EQ(UIGraphicsGetCurrentContext(), outer);
    UIGraphicsEndImageContext();
    EXPECT_EQ(UIGraphicsGetCurrentContext(), nullptr);

    // Ends without a Begin change nothing and do not crash.
    UIGraphicsEndImageContext();
    UIGraphicsEndImageContext();
    EXPECT_EQ(UIGraphicsGetCurrentContext(), nullptr);
    EXPECT_EQ(UIGraphicsGetImageFromCurrentImageContext(), nullptr);
    EXPECT_EQ(CGBitmapContextGetData(nullptr), nullptr);
}

TEST_F(Graphics, ABeginThatCannotMakeABitmapStillPairsWithItsEnd)
{
    UIGraphicsBeginImageContext(CGSizeMake(1, 1));
    CGContextRef outer = UIGraphicsGetCurrentContext();
    const CGSize unusable[] = {
        CGSizeMake(0, 1),
        CGSizeMake(1, -1),
        CGSizeMake(std::nan(""), 1),
        CGSizeMake(std::numeric_limits<double>::infinity(), 1),
        CGSizeMake(double(zovo::kMaxImageSide) + 1, 1),
    };
    for (CGSize size : unusable) {
        UIGraphicsBeginImageContext(size);
        EXPECT_EQ(UIGraphicsGetCurrentContext(), nullptr) << size.width << " x " << size.height;
        EXPECT_EQ(UIGraphicsGetImageFromCurrentImageContext(), nullptr);
        UIGraphicsEndImageContext();
        EXPECT_EQ(UIGraphicsGetCurrentContext(), outer) << "the failed Begin's End must not pop the outer context";
    }
    UIGraphicsBeginImageContextWithOptions(CGSizeMake(1, 1), false, -2);
    EXPECT_EQ(UIGraphicsGetCurrentContext(), nullptr);
    UIGraphicsEndImageContext();
    UIGraphicsEndImageContext();
}

TEST_F(Graphics, PixelSizeIsPointsTimesScaleRoundedUp)
{
    UIGraphicsBeginImageContext(CGSizeMake(2.5, 1));
    EXPECT_EQ(CGBitmapContextGetWidth(UIGraphicsGetCurrentContext()), 3u);
    EXPECT_GE(CGBitmapContextGetBytesPerRow(UIGraphicsGetCurrentContext()), 12u);
    UIGraphicsEndImageContext();

    UIGraphicsBeginImageContextWithOptions(CGSizeMake(100.1, 1), false, 10);
    EXPECT_EQ(CGBitmapContextGetWidth(UIGraphicsGetCurrentContext()), 1001u) << "rounding noise does not add a column";
    UIGraphicsEndImageContext();

    // Scale 0 is the main screen's.
    const double screenScale = UIScreen::mainScreen()->scale();
    ASSERT_GT(screenScale, 1.0);
    UIGraphicsBeginImageContextWithOptions(CGSizeMake(20, 10), false, 0);
    CGContextRef context = UIGraphicsGetCurrentContext();
    EXPECT_EQ(CGBitmapContextGetWidth(context), static_cast<std::size_t>(20 * screenScale));
    EXPECT_EQ(CGBitmapContextGetHeight(context), static_cast<std::size_t>(10 * screenScale));
    auto image = UIGraphicsGetImageFromCurrentImageContext();
    EXPECT_EQ(image->scale(), screenScale);
    EXPECT_EQ(image->size(), CGSizeMake(20, 10));
    UIGraphicsEndImageContext();
}

TEST_F(Graphics, ContextsStartTransparentAndStoreBGRA)
{
    UIGraphicsBeginImageContext(CGSizeMake(2, 1));
    CGContextRef context = UIGraphicsGetCurrentContext();
    EXPECT_EQ(pixelAt(context, 0, 0), (Pixel{0, 0, 0, 0}));
    solid(1, 1, {255, 0, 0, 255})->drawInRect(CGRectMake(0, 0, 2, 1), kCGBlendModeNormal, 1.0);
    EXPECT_EQ(pixelAt(context, 0, 0), (Pixel{0, 0, 255, 255})) << "red lands in byte 2";
    EXPECT_EQ(pixelAt(context, 1, 0), (Pixel{0, 0, 255, 255}));
    UIGraphicsEndImageContext();
}

TEST_F(Graphics, CopyReplacesWhereNormalComposites)
{
    auto blue = solid(1, 1, {0, 0, 255, 255});
    auto halfRed = solid(1, 1, {255, 0, 0, 128});
    UIGraphicsBeginImageContext(CGSizeMake(2, 1));
    CGContextRef context = UIGraphicsGetCurrentContext();
    blue->drawInRect(CGRectMake(0, 0, 2, 1), kCGBlendModeNormal, 1.0);
    halfRed->drawInRect(CGRectMake(0, 0, 1, 1), kCGBlendModeNormal, 1.0);
    halfRed->drawInRect(CGRectMake(1, 0, 1, 1), kCGBlendModeCopy, 1.0);
    Pixel over = pixelAt(context, 0, 0);
    EXPECT_NEAR(over[2], 128, 1);
    EXPECT_NEAR(over[0], 127, 1);
    EXPECT_EQ(over[3], 255);
    Pixel copied = pixelAt(context, 1, 0);
    EXPECT_EQ(copied, (Pixel{0, 0, 128, 128})) << "copy keeps the source's coverage, premultiplied";

    blue->drawInRect(CGRectMake(0, 0, 1, 1), kCGBlendModeNormal, 0.5);
    EXPECT_NEAR(pixelAt(context, 0, 0)[0], 191, 2) << "alpha scales the drawing";
    UIGraphicsEndImageContext();
}

TEST_F(Graphics, DrawingStaysInsideItsRectangle)
{
    UIGraphicsBeginImageContext(CGSizeMake(4, 1));
    CGContextRef context = UIGraphicsGetCurrentContext();
    solid(3, 3, {255, 0, 0, 255})->drawInRect(CGRectMake(1, 0, 2, 1), kCGBlendModeCopy, 1.0);
    EXPECT_EQ(pixelAt(context, 0, 0), (Pixel{0, 0, 0, 0})) << "copy must not clear outside the rectangle";
    EXPECT_EQ(pixelAt(context, 1, 0), (Pixel{0, 0, 255, 255}));
    EXPECT_EQ(pixelAt(context, 2, 0), (Pixel{0, 0, 255, 255}));
    EXPECT_EQ(pixelAt(context, 3, 0), (Pixel{0, 0, 0, 0}));
    UIGraphicsEndImageContext();
}

TEST_F(Graphics, InterpolationQualityDecidesHowImagesShrink)
{
    auto image = split(8);
    auto shrink = [&](CGInterpolationQuality quality) {
        UIGraphicsBeginImageContext(CGSizeMake(1, 1));
        CGContextSetInterpolationQuality(UIGraphicsGetCurrentContext(), quality);
        EXPECT_EQ(CGContextGetInterpolationQuality(UIGraphicsGetCurrentContext()), quality);
        image->drawInRect(CGRectMake(0, 0, 1, 1), kCGBlendModeCopy, 1.0);
        Pixel p = pixelAt(UIGraphicsGetCurrentContext(), 0, 0);
        UIGraphicsEndImageContext();
        return p;
    };
    Pixel nearest = shrink(kCGInterpolationNone);
    EXPECT_TRUE((nearest[2] == 255 && nearest[0] == 0) || (nearest[2] == 0 && nearest[0] == 255)) << "one source pixel, unblended";
    for (CGInterpolationQuality quality : {kCGInterpolationMedium, kCGInterpolationDefault, kCGInterpolationHigh}) {
        Pixel mixed = shrink(quality);
        EXPECT_NEAR(mixed[2], 128, 8) << "quality " << quality;
        EXPECT_NEAR(mixed[0], 128, 8) << "quality " << quality;
        EXPECT_EQ(mixed[3], 255) << "edges are not faded into transparency";
    }
}

TEST_F(Graphics, SnapshotsKeepTheirPixelsAndOpaqueContextsHaveNoAlpha)
{
    UIGraphicsBeginImageContextWithOptions(CGSizeMake(1, 1), true, 1);
    CGContextRef context = UIGraphicsGetCurrentContext();
    auto black = UIGraphicsGetImageFromCurrentImageContext();
    EXPECT_EQ(black->CGImage()->rgbaAt(0, 0), (Pixel{0, 0, 0, 255})) << "an opaque context starts black";
    solid(1, 1, {255, 0, 0, 128})->drawInRect(CGRectMake(0, 0, 1, 1), kCGBlendModeCopy, 1.0);
    auto red = UIGraphicsGetImageFromCurrentImageContext();
    EXPECT_EQ(red->CGImage()->rgbaAt(0, 0)[3], 255);
    EXPECT_EQ(CGImageGetAlphaInfo(red->CGImage()), kCGImageAlphaPremultipliedFirst);
    EXPECT_EQ(black->CGImage()->rgbaAt(0, 0), (Pixel{0, 0, 0, 255})) << "an earlier snapshot is unchanged by later drawing";
    EXPECT_EQ(CGBitmapContextGetWidth(context), 1u);
    UIGraphicsEndImageContext();
}

TEST_F(Graphics, UnusableDrawingsChangeNothingAndLeaveTheContextWorking)
{
    auto red = solid(2, 2, {255, 0, 0, 255});
    UIGraphicsBeginImageContext(CGSizeMake(2, 2));
    CGContextRef context = UIGraphicsGetCurrentContext();
    const double inf = std::numeric_limits<double>::infinity();
    const CGRect rects[] = {
        CGRectMake(0, 0, 0, 2), CGRectMake(0, 0, -2, 2), CGRectMake(std::nan(""), 0, 2, 2),
        CGRectMake(0, 0, inf, 2), CGRectMake(0, 0, 1e300, 1e300), CGRectMake(0, 0, 1e-300, 1e-300),
    };
    for (const CGRect& rect : rects) red->drawInRect(rect, kCGBlendModeCopy, 1.0);
    red->drawInRect(CGRectMake(0, 0, 2, 2), kCGBlendModeNormal, std::nan(""));
    zovo::drawImage(context, nullptr, CGRectMake(0, 0, 2, 2), kCGBlendModeCopy, 1.0);
    zovo::drawImage(context, CGImage::create(0, 0, kRGBAStraight, {}).get(), CGRectMake(0, 0, 2, 2), kCGBlendModeCopy, 1.0);
    EXPECT_EQ(pixelAt(context, 0, 0), (Pixel{0, 0, 0, 0}));

    red->drawInRect(CGRectMake(0, 0, 2, 2), kCGBlendModeNormal, 1.0);
    EXPECT_EQ(pixelAt(context, 1, 1), (Pixel{0, 0, 255, 255}));
    UIGraphicsEndImageContext();

    red->drawInRect(CGRectMake(0, 0, 2, 2), kCGBlendModeNormal, 1.0); // no context: nothing happens
}

TEST_F(Graphics, DrawingByMessageTakesA32BitBlendMode)
{
    auto red = solid(1, 1, {255, 0, 0, 255});
    UIGraphicsBeginImageContext(CGSizeMake(1, 1));
    objc::send(red, "drawInRect:blendMode:alpha:", CGRectMake(0, 0, 1, 1), kCGBlendModeCopy, 1.0);
    EXPECT_EQ(pixelAt(UIGraphicsGetCurrentContext(), 0, 0), (Pixel{0, 0, 255, 255}));
    EXPECT_THROW(objc::send(red, "drawInRect:blendMode:alpha:", CGRectMake(0, 0, 1, 1), std::int64_t{17}, 1.0), objc::RuntimeError);
    UIGraphicsEndImageContext();
}

TEST_F(Graphics, EachThreadHasItsOwnStack)
{
    UIGraphicsBeginImageContext(CGSizeMake(1, 1));
    CGContextRef mine = UIGraphicsGetCurrentContext();
    CGContextRef seenThere = mine;
    std::size_t depthThere = 99;
    std::thread other([&] {
        seenThere = UIGraphicsGetCurrentContext();
        UIGraphicsBeginImageContext(CGSizeMake(1, 1));
        UIGraphicsEndImageContext();
        UIGraphicsEndImageContext(); // one too many, on that thread's empty stack
        depthThere = zovo::imageContextDepth();
    });
    other.join();
    EXPECT_EQ(seenThere, nullptr);
    EXPECT_EQ(depthThere, 0u);
    EXPECT_EQ(UIGraphicsGetCurrentContext(), mine);
    UIGraphicsEndImageContext();
}

} // namespace
