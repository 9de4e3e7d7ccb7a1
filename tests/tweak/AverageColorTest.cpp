#include "TweakFixture.h"

#include "tweak/UIImageAverageColorAddition.h"
#include "uikit/CGImage.h"
#include "uikit/UIGraphics.h"
#include "uikit/UIImage.h"

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

    static objc::StrongRef<UIImage> filled(std::size_t width, std::size_t height, Pixel bytes, zovo::PixelFormat format = kRGBAStraight)
    {
        std::vector<std::uint8_t> all;
        for (std::size_t i = 0; i < width * height; ++i) all.insert(all.end(), bytes.begin(), bytes.end());
        return UIImage::fromPixels(width, height, format, std::move(all));
    }
    // The colour `selector` answers for `image`, kept alive until the next call.
    UIColor* colourOf(objc::id image, const char* selector = "averageColor")
    {
        kept = objc::send<objc::StrongId>(image, selector);
        return objc::cast<UIColor>(kept);
    }

    objc::StrongId kept;
};

void expectColour(const UIColor* colour, double r, double g, double b, double tolerance = kFloatPrecision)
{
    ASSERT_NE(colour, nullptr);
    EXPECT_NEAR(colour->red(), r, tolerance);
    EXPECT_NEAR(colour->green(), g, tolerance);
    EXPECT_NEAR(colour->blue(), b, tolerance);
    EXPECT_EQ(colour->alpha(), 1.0);
}

TEST_F(AverageColor, AveragesTheStoredBytesOfEveryPixelInEitherByteOrderAndImagesWithoutPixelsGiveOpaqueBlack)
{
    expectColour(colourOf(filled(3, 3, {0, 0, 255, 255}, kBGRAPremultiplied).get()), 1, 0, 0);
    // Premultiplied bytes are averaged as stored: half-covered white reads as mid grey.
    expectColour(colourOf(filled(2, 2, {128, 128, 128, 128}, kBGRAPremultiplied).get()), 128 / 255.0, 128 / 255.0, 128 / 255.0);

    objc::StrongId bare = objc::class_createInstance(objc::objc_getClass("UIImage"));
    for (const objc::StrongId& image : {bare, objc::StrongId(UIImage::fromPixels(0, 7, kRGBAStraight, {}))}) {
        for (const char* selector : {"averageColor", "mergedColor"}) {
            SCOPED_TRACE(selector);
            expectColour(colourOf(image.get(), selector), 0, 0, 0, 0);
        }
    }
}

TEST(AverageOfBitmap, ChannelsAreFoundByTheBitmapsAlphaPlaceAndByteOrder)
{
    // One pixel whose four bytes are all different, so that a channel read from the wrong place shows.
    const std::uint8_t pixel[4] = {10, 20, 30, 40};
    const auto mean = [&](CGBitmapInfo info, std::size_t bitsPerPixel = 32) {
        return zovorudovu::averageOfBitmap({1, 1, 4, bitsPerPixel, info, pixel, 4});
    };
    const auto bytes = [](std::uint8_t r, std::uint8_t g, std::uint8_t b) { return std::array<double, 3>{r / 255.0, g / 255.0, b / 255.0}; };
    const auto near = [](const std::optional<std::array<double, 3>>& got, std::array<double, 3> want) {
        ASSERT_TRUE(got);
        for (int i = 0; i < 3; ++i) EXPECT_NEAR((*got)[i], want[i], kFloatPrecision) << "channel " << i;
    };
    near(mean(kCGImageAlphaPremultipliedLast), bytes(10, 20, 30));
    near(mean(kCGImageAlphaNoneSkipLast), bytes(10, 20, 30));
    near(mean(kCGImageAlphaPremultipliedFirst), bytes(20, 30, 40));
    near(mean(kCGImageAlphaFirst), bytes(20, 30, 40));
    near(mean(kCGImageAlphaNoneSkipFirst), bytes(20, 30, 40));
    // A 32-bit little-endian word stores its bytes reversed: alpha first becomes B, G, R, A.
    near(mean(kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little), bytes(30, 20, 10));
    near(mean(kCGImageAlphaPremultipliedLast | kCGBitmapByteOrder32Little), bytes(40, 30, 20));
    // Three bytes a pixel with no alpha: the little-endian order applies to 32-bit words only.
    near(mean(kCGImageAlphaNone | kCGBitmapByteOrder32Little, 24), bytes(10, 20, 30));
    // Two three-byte pixels: the second starts right after the first, not four bytes on.
    const std::uint8_t two[6] = {10, 20, 30, 40, 50, 60};
    near(zovorudovu::averageOfBitmap({2, 1, 6, 24, kCGImageAlphaNone, two, 6}), bytes(25, 35, 45));
}

TEST(AverageOfBitmap, DescriptionsThatCannotBeReadGiveNothing)
{
    const std::vector<std::uint8_t> bytes(64, 200);
    const CGBitmapInfo rgba = kCGImageAlphaPremultipliedLast;
    const auto mean = [&](zovorudovu::BitmapDescription d) { return zovorudovu::averageOfBitmap(d).has_value(); };
    EXPECT_TRUE(mean({2, 2, 8, 32, rgba, bytes.data(), 16}));
    EXPECT_TRUE(mean({2, 2, 12, 32, rgba, bytes.data(), 20})) << "the last row need not hold its padding";
    EXPECT_FALSE(mean({2, 2, 8, 32, kCGImageAlphaOnly, bytes.data(), 16})) << "alpha only";
    EXPECT_FALSE(mean({2, 2, 4, 16, kCGImageAlphaNone, bytes.data(), 8})) << "two bytes a pixel";
    EXPECT_FALSE(mean({2, 2, 6, 24, kCGImageAlphaFirst, bytes.data(), 12})) << "alpha first in three bytes leaves no room for blue";
    EXPECT_FALSE(mean({3, 2, 8, 32, rgba, bytes.data(), 24})) << "a row shorter than its width";
    EXPECT_FALSE(mean({2, 2, 8, 32, rgba, bytes.data(), 15})) << "bytes end inside the last pixel";
    EXPECT_FALSE(mean({2, 1, 8, 32, rgba, bytes.data(), 7})) << "bytes end inside the only row";
    EXPECT_FALSE(mean({2, 3, 12, 32, rgba, bytes.data(), 27})) << "bytes end before the last row";
    EXPECT_FALSE(mean({2, 2, 8, 32, rgba, nullptr, 16}));
    EXPECT_FALSE(mean({0, 2, 8, 32, rgba, bytes.data(), 16}));
    EXPECT_FALSE(mean({2, 0, 8, 32, rgba, bytes.data(), 16}));
}

TEST(AverageOfBitmap, RegistrationWithoutAnImageClassAddsNothing)
{
    objc::Runtime bare;
    const std::size_t classes = bare.classCount();
    zovorudovu::registerUIImageAverageColorAddition(bare);
    EXPECT_EQ(bare.classCount(), classes);
    EXPECT_EQ(bare.lookUpClass("UIImage"), nullptr);
}

TEST_F(AverageColor, SumsOfHugeImagesDoNotWrapAndTheCopiedBytesAreReleased)
{
    // 4200 × 4200 white pixels sum to about 4.5e9 a channel, past what 32 bits hold.
    auto image = UIImage::fromPixels(4200, 4200, kRGBAStraight, std::vector<std::uint8_t>(4200 * 4200 * 4, 255));
    const long before = zovo::liveDataCopies();
    expectColour(colourOf(image.get()), 1, 1, 1, 1e-3);
    colourOf(image.get());
    EXPECT_EQ(zovo::liveDataCopies(), before);
}

// Rows with padding are summed row by row and rows without as one run; both must give the plain
// loop's exact sums, whatever the width leaves over for the vector steps.
TEST_F(AverageColor, PaddedAndUnpaddedRowsOfOddWidthsGiveTheExactMean)
{
    for (std::size_t width : {1, 5, 9, 33}) {
        for (std::size_t padding : {0, 4, 12}) {
            const std::size_t height = 3, stride = width * 4 + padding;
            std::vector<std::uint8_t> bytes(stride * height, 0);
            std::uint64_t sum[3] = {};
            for (std::size_t row = 0; row < height; ++row)
                for (std::size_t x = 0; x < width; ++x)
                    for (std::size_t c = 0; c < 4; ++c) {
                        const auto value = static_cast<std::uint8_t>(row * 91 + x * 29 + c * 53 + 7);
                        bytes[row * stride + x * 4 + c] = value;
                        if (c < 3) sum[c] += value;
                    }
            // Padding bytes at full intensity would show in the sums if they were read.
            for (std::size_t row = 0; row < height; ++row)
                for (std::size_t p = 0; p < padding; ++p) bytes[row * stride + width * 4 + p] = 255;
            SCOPED_TRACE(testing::Message() << width << " pixels wide, " << padding << " bytes of padding");
            UIColor* colour = colourOf(UIImage::imageWithCGImage(CGImage::create(width, height, kRGBAStraight, std::move(bytes), stride)).get());
            const double factor = static_cast<double>(1.0f / (255.0f * static_cast<float>(width) * static_cast<float>(height)));
            EXPECT_EQ(colour->red(), factor * static_cast<double>(sum[0]));
            EXPECT_EQ(colour->green(), factor * static_cast<double>(sum[1]));
            EXPECT_EQ(colour->blue(), factor * static_cast<double>(sum[2]));
        }
    }
}

TEST_F(AverageColor, MergedColorOfASolidImageIsThatColourAndLeavesTheCallersContextCurrent)
{
    const double step = 1.5 / 255;
    expectColour(colourOf(filled(60, 60, {50, 100, 200, 255}, kBGRAPremultiplied).get(), "mergedColor"), 200 / 255.0, 100 / 255.0, 50 / 255.0, step);

    UIGraphicsBeginImageContext(CGSizeMake(4, 4));
    CGContextRef callers = UIGraphicsGetCurrentContext();
    const std::size_t depth = zovo::imageContextDepth();
    expectColour(colourOf(filled(1, 1, {255, 255, 255, 255}).get(), "mergedColor"), 1, 1, 1); // one pixel copies exactly
    EXPECT_EQ(zovo::imageContextDepth(), depth);
    EXPECT_EQ(UIGraphicsGetCurrentContext(), callers);
    EXPECT_EQ(static_cast<const std::uint8_t*>(CGBitmapContextGetData(callers))[3], 0) << "nothing was drawn into the caller's context";
    UIGraphicsEndImageContext();
}

} // namespace
