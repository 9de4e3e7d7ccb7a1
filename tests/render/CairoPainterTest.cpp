#include "render/CairoPainter.h"
#include "render/Frame.h"

#include <gtest/gtest.h>

#include <array>
#include <limits>

namespace {

constexpr zovo::RGBA8 kClear{0, 0, 0, 0};
constexpr zovo::RGBA8 kRed{255, 0, 0, 255};
constexpr zovo::RGBA8 kBlue{0, 0, 255, 255};

std::shared_ptr<const CGImage> onePixel(std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    return CGImage::create(1, 1, {zovo::ChannelOrder::RGBA, zovo::AlphaMode::Straight}, {r, g, b, 255});
}

TEST(CairoPainter, PointsBecomePixelsByTheFramesScale)
{
    zovo::Frame frame(9, 9, 3.0);
    {
        zovo::CairoPainter painter(frame);
        painter.fillRect(CGRectMake(1, 1, 1, 1), {1, 0, 0, 1});
    }
    EXPECT_EQ(frame.pixelAt(3, 3), kRed);
    EXPECT_EQ(frame.pixelAt(5, 5), kRed);
    EXPECT_EQ(frame.pixelAt(2, 3), kClear);
    EXPECT_EQ(frame.pixelAt(6, 5), kClear);
}

TEST(CairoPainter, RestoreBringsBackTranslationAndClip)
{
    zovo::Frame frame(10, 10, 1.0);
    zovo::CairoPainter painter(frame);
    {
        zovo::Painter::Saved saved(painter);
        painter.translate(2, 0);
        painter.clipToRect(CGRectMake(0, 0, 1, 1));
        EXPECT_EQ(painter.clipBounds(), CGRectMake(0, 0, 1, 1));
        painter.fillRect(CGRectMake(0, 0, 10, 10), {1, 0, 0, 1});
    }
    EXPECT_EQ(painter.clipBounds(), CGRectMake(0, 0, 10, 10));
    painter.fillRect(CGRectMake(0, 0, 1, 1), {0, 0, 1, 1});
    EXPECT_EQ(frame.pixelAt(2, 0), kRed);
    EXPECT_EQ(frame.pixelAt(3, 0), kClear);
    EXPECT_EQ(frame.pixelAt(2, 1), kClear);
    EXPECT_EQ(frame.pixelAt(0, 0), kBlue);
}

TEST(CairoPainter, UnusableCoordinatesDrawNothingAndKeepThePainterWorking)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    zovo::Frame frame(4, 4, 1.0);
    zovo::CairoPainter painter(frame);
    painter.translate(nan, inf);
    painter.fillRect(CGRectMake(0, 0, inf, 4), {0, 0, 1, 1});
    painter.fillRoundedRect(CGRectMake(nan, 0, 4, 4), 2, {0, 0, 1, 1});
    CGPath broken = CGPath::rectangle(CGRectMake(0, 0, 4, 4));
    broken.elements[1].points[0].x = nan;
    painter.fillPath(broken, {0, 0, 1, 1});
    painter.drawImage(onePixel(0, 0, 255), CGRectMake(0, 0, 2e6, 4));
    {
        zovo::Painter::Saved saved(painter);
        painter.clipToPath(broken); // an unusable mask keeps nothing
        painter.fillRect(CGRectMake(0, 0, 4, 4), {0, 0, 1, 1});
    }
    painter.fillRect(CGRectMake(0, 0, 1, 1), {1, 0, 0, 1});
    EXPECT_TRUE(painter.ok());
    EXPECT_EQ(frame.pixelAt(0, 0), kRed); // not moved by the translation that was refused
    EXPECT_EQ(frame.pixelAt(3, 3), kClear);
}

TEST(CairoPainter, BitmapsLandOnWholePixelsAndReplaceTakesTransparencyAlong)
{
    zovo::Frame piece(2, 1, 2.0);
    {
        zovo::CairoPainter painter(piece);
        painter.fillRect(CGRectMake(0, 0, 0.5, 0.5), {1, 0, 0, 1}); // left pixel red, right transparent
    }
    zovo::Frame frame(4, 2, 2.0);
    zovo::CairoPainter painter(frame);
    painter.fillRect(CGRectMake(0, 0, 2, 1), {0, 0, 1, 1});
    painter.drawBitmap(piece, CGPointMake(0.6, 0), zovo::BitmapBlend::Over); // 1.2 pixels: lands on pixel 1
    EXPECT_EQ(frame.pixelAt(0, 0), kBlue);
    EXPECT_EQ(frame.pixelAt(1, 0), kRed);
    EXPECT_EQ(frame.pixelAt(2, 0), kBlue);
    painter.drawBitmap(piece, CGPointMake(1, 0.5), zovo::BitmapBlend::Replace);
    EXPECT_EQ(frame.pixelAt(2, 1), kRed);
    EXPECT_EQ(frame.pixelAt(3, 1), kClear);

    zovo::Frame otherScale(2, 1, 1.0);
    otherScale.clear();
    painter.drawBitmap(otherScale, CGPointMake(0, 0), zovo::BitmapBlend::Replace);
    EXPECT_EQ(frame.pixelAt(0, 0), kBlue);
}

TEST(CairoPainter, GradientRunsFromFirstToLastStop)
{
    zovo::Frame frame(1, 100, 1.0);
    zovo::CairoPainter painter(frame);
    const std::array<zovo::GradientStop, 2> stops{{{0, {1, 0, 0, 1}}, {1, {0, 0, 1, 1}}}};
    painter.fillRectWithLinearGradient(CGRectMake(0, 0, 1, 100), CGPointMake(0, 10), CGPointMake(0, 90), stops);
    EXPECT_EQ(frame.pixelAt(0, 0), kRed); // before the start: the first colour continues
    EXPECT_EQ(frame.pixelAt(0, 99), kBlue);
    const zovo::RGBA8 middle = frame.pixelAt(0, 50);
    EXPECT_NEAR(middle.red, 128, 4);
    EXPECT_NEAR(middle.blue, 128, 4);
}

TEST(CairoPainter, ImageCacheConvertsEachImageOnceAndForgetsEndedOnes)
{
    zovo::ImageSurfaceCache cache;
    zovo::Frame frame(2, 1, 1.0);
    auto red = onePixel(255, 0, 0);
    {
        zovo::CairoPainter painter(frame, &cache);
        painter.drawImage(red, CGRectMake(0, 0, 1, 1));
        painter.drawImage(red, CGRectMake(0, 0, 1, 1));
        EXPECT_EQ(cache.size(), 1u);
        auto blue = onePixel(0, 0, 255);
        painter.drawImage(blue, CGRectMake(1, 0, 1, 1));
        EXPECT_EQ(cache.size(), 2u);
    }
    EXPECT_EQ(frame.pixelAt(0, 0), kRed);
    EXPECT_EQ(frame.pixelAt(1, 0), kBlue);
    cache.sweep(); // the blue image has ended
    EXPECT_EQ(cache.size(), 1u);
}

} // namespace
