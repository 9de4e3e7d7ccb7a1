#include "TweakFixture.h"

#include "tweak/UIImageAverageColorAddition.h"
#include "uikit/CGImage.h"
#include "uikit/UIGraphics.h"
#include "uikit/UIImage.h"

#include <cmath>
#include <vector>

namespace {

using Pixel = std::array<std::uint8_t, 4>;
constexpr zovo::PixelFormat kRGBAStraight{zovo::ChannelOrder::RGBA, zovo::AlphaMode::Straight};
constexpr zovo::PixelFormat kBGRAPremultiplied{zovo::ChannelOrder::BGRA, zovo::AlphaMode::Premultiplied};
// One step of a single-precision factor applied to a 64-bit sum.
constexpr double kFloatPrecision = 1e-6;

class AverageColor : public TweakFixture {
protected:
    AverageColor()
    {
        zovorudovu::registerClasses(process.runtime());
        zovorudovu::registerUIImageAverageColorAddition(process.runtime());
    }

    static objc::Ref<UIImage> filled(std::size_t width, std::size_t height, Pixel bytes, zovo::PixelFormat format = kRGBAStraight)
    {
        std::vector<std::uint8_t> all;
        all.reserve(width * height * 4);
        for (std::size_t i = 0; i < width * height; ++i) all.insert(all.end(), bytes.begin(), bytes.end());
        return UIImage::fromPixels(width, height, format, std::move(all));
    }
    UIColor* colourOf(objc::id image, const char* selector)
    {
        kept = objc::send<objc::Id>(image, selector);
        return objc::cast<UIColor>(kept);
    }
    UIColor* average(objc::id image) { return colourOf(image, "averageColor"); }
    UIColor* merged(objc::id image) { return colourOf(image, "mergedColor"); }

    objc::Id kept;
};

void expectColour(const UIColor* colour, double r, double g, double b, double tolerance)
{
    ASSERT_NE(colour, nullptr);
    EXPECT_NEAR(colour->red(), r, tolerance);
    EXPECT_NEAR(colour->green(), g, tolerance);
    EXPECT_NEAR(colour->blue(), b, tolerance);
    EXPECT_EQ(colour->alpha(), 1.0);
}

TEST_F(AverageColor, ARedIconIsRedWhateverItsByteOrder)
{
    expectColour(average(filled(3, 3, {255, 0, 0, 255}, kRGBAStraight)), 1, 0, 0, kFloatPrecision);
    expectColour(average(filled(3, 3, {0, 0, 255, 255}, kBGRAPremultiplied)), 1, 0, 0, kFloatPrecision);

    // Icons read from files come back in the decoder's order (BGRA).
    std::vector<std::uint8_t> png;
    ASSERT_TRUE(zovo::encodePNG(filled(4, 4, {255, 0, 0, 255})->CGImage(), png));
    zovo::ImageResult decoded = zovo::decodePNG(png);
    ASSERT_TRUE(decoded) << decoded.message;
    expectColour(average(UIImage::imageWithCGImage(decoded.image, 3.0)), 1, 0, 0, kFloatPrecision);
}

TEST_F(AverageColor, AveragesTheStoredBytesOfEveryPixel)
{
    expectColour(average(filled(5, 4, {10, 20, 30, 255})), 10 / 255.0, 20 / 255.0, 30 / 255.0, kFloatPrecision);

    auto pair = UIImage::fromPixels(2, 1, kRGBAStraight, {0, 0, 0, 255, 255, 0, 0, 255});
    expectColour(average(pair), 0.5, 0, 0, kFloatPrecision);

    // Premultiplied bytes are averaged as stored: half-covered white reads as mid grey.
    expectColour(average(filled(2, 2, {128, 128, 128, 128}, kBGRAPremultiplied)), 128 / 255.0, 128 / 255.0, 128 / 255.0, kFloatPrecision);
}

TEST_F(AverageColor, RowPaddingIsNotPartOfThePicture)
{
    // Two green pixels a row, then four bytes of bright padding the sum must skip.
    std::vector<std::uint8_t> bytes;
    for (int row = 0; row < 3; ++row) bytes.insert(bytes.end(), {0, 255, 0, 255, 0, 255, 0, 255, 255, 255, 255, 255});
    auto image = UIImage::imageWithCGImage(CGImage::create(2, 3, kRGBAStraight, std::move(bytes), 12));
    expectColour(average(image), 0, 1, 0, kFloatPrecision);
}

TEST_F(AverageColor, SumsOfHugeImagesDoNotWrap)
{
    // 4200 × 4200 white pixels sum to about 4.5e9 a channel, past what 32 bits hold.
    auto image = UIImage::fromPixels(4200, 4200, kRGBAStraight, std::vector<std::uint8_t>(4200 * 4200 * 4, 255));
    expectColour(average(image), 1, 1, 1, 1e-3);
}

TEST_F(AverageColor, ImagesWithoutPixelsGiveOpaqueBlack)
{
    objc::Id bare = objc::class_createInstance(objc::objc_getClass("UIImage"));
    const objc::Ref<UIImage> empties[] = {
        objc::Ref<UIImage>(static_cast<UIImage*>(bare.get())),
        UIImage::fromPixels(0, 0, kRGBAStraight, {}),
        UIImage::fromPixels(0, 7, kRGBAStraight, {}),
        UIImage::fromPixels(7, 0, kRGBAStraight, {}),
    };
    for (const auto& image : empties) {
        for (const char* selector : {"averageColor", "mergedColor"}) {
            SCOPED_TRACE(selector);
            UIColor* colour = colourOf(image, selector);
            ASSERT_NE(colour, nullptr);
            EXPECT_FALSE(std::isnan(colour->red() + colour->green() + colour->blue()));
            expectColour(colour, 0, 0, 0, 0);
        }
    }
}

TEST_F(AverageColor, TheCopiedBytesAreReleased)
{
    auto image = filled(6, 6, {1, 2, 3, 255});
    const long before = zovo::liveDataCopies();
    average(image);
    average(image);
    EXPECT_EQ(zovo::liveDataCopies(), before);
}

TEST_F(AverageColor, MergedColorOfASolidImageIsThatColour)
{
    const double step = 1.5 / 255;
    expectColour(merged(filled(60, 60, {200, 100, 50, 255})), 200 / 255.0, 100 / 255.0, 50 / 255.0, step);
    expectColour(merged(filled(60, 60, {50, 100, 200, 255}, kBGRAPremultiplied)), 200 / 255.0, 100 / 255.0, 50 / 255.0, step);
    expectColour(merged(filled(1, 1, {0, 0, 255, 255})), 0, 0, 1, step);
}

TEST_F(AverageColor, MergedColorLeavesTheCallersContextCurrent)
{
    UIGraphicsBeginImageContext(CGSizeMake(4, 4));
    CGContextRef callers = UIGraphicsGetCurrentContext();
    const std::size_t depth = zovo::imageContextDepth();
    merged(filled(8, 8, {0, 255, 0, 255}));
    EXPECT_EQ(zovo::imageContextDepth(), depth);
    EXPECT_EQ(UIGraphicsGetCurrentContext(), callers);
    EXPECT_EQ(static_cast<const std::uint8_t*>(CGBitmapContextGetData(callers))[3], 0) << "nothing was drawn into the caller's context";
    UIGraphicsEndImageContext();
}

TEST_F(AverageColor, AdaptiveTextColourFollowsTheIcon)
{
    bridge()->getAverageColour(filled(60, 60, {20, 30, 120, 255}));
    EXPECT_EQ(objc::cast<UIColor>(bridge()->adaptive_textColour)->red(), 1.0) << "white on a dark blue icon";
    expectColour(objc::cast<UIColor>(bridge()->adaptive_backgroundColour), 20 / 255.0, 30 / 255.0, 120 / 255.0, kFloatPrecision);

    bridge()->getAverageColour(filled(60, 60, {255, 220, 0, 255}, kRGBAStraight));
    EXPECT_EQ(objc::cast<UIColor>(bridge()->adaptive_textColour)->red(), 0.0) << "black on a yellow icon";
}

} // namespace
