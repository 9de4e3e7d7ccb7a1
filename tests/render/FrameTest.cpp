#include "render/Frame.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <stdexcept>
#include <unistd.h>

namespace {

TEST(Frame, RefusesSizesAndScalesThatMakeNoBitmap)
{
    EXPECT_THROW(zovo::Frame(0, 10, 1), std::invalid_argument);
    EXPECT_THROW(zovo::Frame(10, -1, 1), std::invalid_argument);
    EXPECT_THROW(zovo::Frame(16385, 10, 1), std::invalid_argument);
    EXPECT_THROW(zovo::Frame(10, 10, 0), std::invalid_argument);
    EXPECT_THROW(zovo::Frame(10, 10, std::numeric_limits<double>::quiet_NaN()), std::invalid_argument);
}

TEST(Frame, PixelsReadBackUnpremultiplied)
{
    zovo::Frame frame(2, 2, 2.0);
    std::uint8_t* p = frame.data() + frame.stride() + 4; // (1, 1): half-transparent red, premultiplied
    p[0] = 0, p[1] = 0, p[2] = 128, p[3] = 128;
    EXPECT_EQ(frame.pixelAt(1, 1), (zovo::RGBA8{255, 0, 0, 128}));
    EXPECT_EQ(frame.pixelAtPoint(0.75, 0.75), (zovo::RGBA8{255, 0, 0, 128}));
    EXPECT_FALSE(frame.pixelAtPoint(1.0, 0.2));
    EXPECT_FALSE(frame.pixelAtPoint(-0.1, 0.2));
}

TEST(Frame, ResetKeepsMemoryForTheSameSizeAndStartsANewSizeClear)
{
    zovo::Frame frame(4, 4, 1.0);
    frame.data()[0] = 7;
    const std::uint8_t* before = frame.data();
    frame.reset(4, 4, 2.0);
    EXPECT_EQ(frame.data(), before);
    EXPECT_EQ(frame.scale(), 2.0);
    frame.reset(8, 2, 1.0);
    EXPECT_EQ(frame.width(), 8);
    EXPECT_EQ(frame.stride(), 32u);
    EXPECT_EQ(frame.data()[0], 0);
}

TEST(Frame, WritesAPNGThatReadsBackAndNamesTheFileWhenItCannot)
{
    zovo::Frame frame(3, 2, 1.0);
    frame.clear();
    std::uint8_t* p = frame.data() + frame.stride() + 8; // (2, 1): opaque green
    p[0] = 0, p[1] = 255, p[2] = 0, p[3] = 255;
    const auto dir = std::filesystem::temp_directory_path() / ("zovo-frame-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto file = dir / "frame.png";
    ASSERT_TRUE(zovo::writeFramePNG(frame, file));
    const zovo::ImageResult back = zovo::loadPNG(file);
    ASSERT_TRUE(back) << back.message;
    EXPECT_EQ(back.image->width(), 3u);
    EXPECT_EQ(back.image->rgbaAt(2, 1), (std::array<std::uint8_t, 4>{0, 255, 0, 255}));

    const zovo::ImageWriteResult intoDirectory = zovo::writeFramePNG(frame, dir);
    EXPECT_FALSE(intoDirectory);
    EXPECT_NE(intoDirectory.message.find(dir.string()), std::string::npos);
    const zovo::ImageWriteResult empty = zovo::writeFramePNG(zovo::Frame(), file);
    EXPECT_FALSE(empty);
    EXPECT_NE(empty.message.find("frame.png"), std::string::npos);
    std::filesystem::remove_all(dir);
}

} // namespace
