#include "render/CairoPainter.h"
#include "render/Frame.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>
#include <limits>

namespace {

constexpr zovo::RGBA red{1, 0, 0, 1}, blue{0, 0, 1, 1};
constexpr zovo::RGBA8 kRed{255, 0, 0, 255}, kBlue{0, 0, 255, 255}, kClear{0, 0, 0, 0};

std::shared_ptr<const CGImage> onePixel(std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    return CGImage::create(1, 1, {zovo::ChannelOrder::RGBA, zovo::AlphaMode::Straight}, {r, g, b, 255});
}

TEST(CairoPainter, UnusableCoordinatesDrawNothingAndRestoreBringsBackTranslationAndClip)
{
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    zovo::Frame frame(8, 8, 2.0);
    zovo::CairoPainter painter(frame);
    CGPath broken = CGPath::rectangle(CGRectMake(0, 0, 4, 4));
    broken.elements[1].points[0].x = nan;
    painter.translate(nan, inf);
    painter.fillRect(CGRectMake(0, 0, inf, 4), blue);
    painter.fillRoundedRect(CGRectMake(nan, 0, 4, 4), 2, blue);
    painter.fillPath(broken, blue);
    painter.drawImage(onePixel(0, 0, 255), CGRectMake(0, 0, 2e6, 4));
    painter.save();
    painter.translate(1, 0);
    painter.clipToPath(broken); // an unusable mask keeps nothing
    painter.fillRect(CGRectMake(0, 0, 4, 4), blue);
    painter.restore();
    painter.fillRect(CGRectMake(0, 0, 1, 1), red);
    EXPECT_TRUE(painter.ok());
    EXPECT_EQ(painter.clipBounds(), CGRectMake(0, 0, 4, 4));
    EXPECT_EQ(frame.pixelAt(1, 1), kRed); // the point (0, 0) is two pixels each way, moved by neither translation
    EXPECT_EQ(frame.pixelAt(2, 1), kClear);
    EXPECT_EQ(frame.pixelAt(7, 7), kClear);
}

TEST(CairoPainter, BitmapsLandOnWholePixelsAndReplaceTakesTransparencyAlong)
{
    zovo::Frame piece(2, 1, 2.0);
    zovo::CairoPainter(piece).fillRect(CGRectMake(0, 0, 0.5, 0.5), red); // left pixel red, right transparent
    zovo::Frame frame(4, 2, 2.0);
    zovo::CairoPainter painter(frame);
    painter.fillRect(CGRectMake(0, 0, 2, 1), blue);
    painter.drawBitmap(piece, CGPointMake(0.6, 0), zovo::BitmapBlend::Over); // 1.2 pixels: lands on pixel 1
    painter.drawBitmap(piece, CGPointMake(1, 0.5), zovo::BitmapBlend::Replace);
    painter.drawBitmap(zovo::Frame(2, 1, 1.0), CGPointMake(0, 0), zovo::BitmapBlend::Replace); // another scale: refused
    EXPECT_EQ(frame.pixelAt(0, 0), kBlue);
    EXPECT_EQ(frame.pixelAt(1, 0), kRed);
    EXPECT_EQ(frame.pixelAt(2, 0), kBlue);
    EXPECT_EQ(frame.pixelAt(2, 1), kRed);
    EXPECT_EQ(frame.pixelAt(3, 1), kClear);
}

TEST(CairoPainter, ImageCacheConvertsEachImageOnceAndForgetsEndedOnes)
{
    zovo::ImageSurfaceCache cache;
    zovo::Frame frame(2, 1, 1.0);
    zovo::CairoPainter painter(frame, &cache);
    const auto redImage = onePixel(255, 0, 0);
    painter.drawImage(redImage, CGRectMake(0, 0, 1, 1));
    painter.drawImage(redImage, CGRectMake(0, 0, 1, 1));
    painter.drawImage(onePixel(0, 0, 255), CGRectMake(1, 0, 1, 1));
    EXPECT_EQ(cache.size(), 2u);
    cache.sweep(); // the blue image has ended
    EXPECT_EQ(cache.size(), 1u);
}

// Kept scaled and clipped copies of an icon must give exactly the pixels of drawing it in place
// (scaled down, rounded corners, over a background, under an outer clip), on every frame that
// reuses them, and an icon off the whole-pixel grid must still land where it belongs.
TEST(CairoPainter, KeptIconsDrawTheSamePixelsAsDrawingInPlace)
{
    std::vector<std::uint8_t> bytes(36 * 36 * 4);
    for (std::size_t i = 0; i < 36 * 36; ++i) {
        bytes[i * 4 + 0] = static_cast<std::uint8_t>(i * 7);
        bytes[i * 4 + 1] = static_cast<std::uint8_t>(i / 36 * 7);
        bytes[i * 4 + 2] = 200;
        bytes[i * 4 + 3] = static_cast<std::uint8_t>(128 + i % 128);
    }
    const auto icon = CGImage::create(36, 36, {zovo::ChannelOrder::RGBA, zovo::AlphaMode::Straight}, std::move(bytes));
    auto paint = [&](zovo::Frame& frame, zovo::ImageSurfaceCache* cache, double x) {
        zovo::CairoPainter painter(frame, cache);
        painter.fillRect(CGRectMake(0, 0, 40, 20), blue);
        painter.clipToRect(CGRectMake(1, 1, 37, 17));
        painter.translate(x, 2);
        painter.drawImageInRoundedRect(icon, CGRectMake(0, 0, 12, 12), 3);
    };
    for (double x : {2.0, 2.5}) {
        zovo::Frame inPlace(40, 20, 3.0), kept(40, 20, 3.0);
        paint(inPlace, nullptr, x);
        zovo::ImageSurfaceCache cache;
        paint(kept, &cache, x);
        EXPECT_EQ(std::memcmp(inPlace.data(), kept.data(), inPlace.byteCount()), 0) << "first frame, icon at x " << x;
        paint(kept, &cache, x);
        EXPECT_EQ(std::memcmp(inPlace.data(), kept.data(), inPlace.byteCount()), 0) << "reused copy, icon at x " << x;
    }
}

} // namespace
