#include "render/Frame.h"
#include "TestFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <limits>
#include <stdexcept>
#include <unistd.h>

namespace {

TEST(Frame, RefusesSizesThatMakeNoBitmapAndResetKeepsMemoryOnlyForTheSameSize)
{
    EXPECT_THROW(zovo::Frame(0, 10, 1), std::invalid_argument);
    EXPECT_THROW(zovo::Frame(16385, 10, 1), std::invalid_argument);
    EXPECT_THROW(zovo::Frame(10, 10, std::numeric_limits<double>::quiet_NaN()), std::invalid_argument);
    zovo::Frame frame(16384, 1, 1.0);
    frame.data()[0] = 7;
    const std::uint8_t* before = frame.data();
    frame.reset(16384, 1, 2.0);
    EXPECT_EQ(frame.data(), before);
    EXPECT_THROW(frame.reset(10, 10, 0), std::invalid_argument);
    frame.reset(8, 2, 1.0);
    EXPECT_EQ(frame.stride(), 32u);
    EXPECT_TRUE(std::all_of(frame.data(), frame.data() + frame.byteCount(), [](std::uint8_t b) { return b == 0; })) << "a new size starts clear";
}

TEST(Frame, PixelsReadBackUnpremultipliedHereAndFromAPNGThatNamesTheFileWhenItCannot)
{
    zovo::Frame frame(3, 2, 2.0);
    std::uint8_t* p = frame.data() + frame.stride() + 4; // (1, 1): half-transparent red, (2, 1): opaque green
    p[0] = 0, p[1] = 0, p[2] = 128, p[3] = 128, p[5] = 255, p[7] = 255;
    EXPECT_EQ(frame.pixelAtPoint(0.75, 0.75), (zovo::RGBA8{255, 0, 0, 128}));
    EXPECT_FALSE(frame.pixelAtPoint(0.2, 1.0) || frame.pixelAtPoint(-0.1, 0.2)) << "no pixel beyond the edges";

    const zovo::TestFolder folder;
    const auto file = folder / "frame.png";
    ASSERT_TRUE(zovo::writeFramePNG(frame, file));
    const auto back = zovo::loadPNG(file);
    std::filesystem::remove(file);
    ASSERT_TRUE(back) << back.error();
    EXPECT_EQ(back.value()->rgbaAt(2, 1), (std::array<std::uint8_t, 4>{0, 255, 0, 255}));
    const zovo::ErrorOr<void> unwritable = zovo::writeFramePNG(frame, "/nonexistent-dir/frame.png");
    EXPECT_NE(unwritable.error().find("/nonexistent-dir/frame.png"), std::string::npos) << unwritable.error();
    const zovo::ErrorOr<void> empty = zovo::writeFramePNG(zovo::Frame(), file);
    EXPECT_NE(empty.error().find(file.string()), std::string::npos) << empty.error();
}

} // namespace
