#include "render/GifEncoder.h"
#include "GifReader.h"
#include "TestFolder.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>

namespace {

namespace fs = std::filesystem;
using zovo::test::Gif;
using zovo::test::readGif;
using zovo::test::Rgb;

void setPixel(zovo::Frame& frame, int x, int y, Rgb c)
{
    std::uint8_t* p = frame.data() + static_cast<std::size_t>(y) * frame.stride() + static_cast<std::size_t>(x) * 4;
    p[0] = static_cast<std::uint8_t>(c[2]), p[1] = static_cast<std::uint8_t>(c[1]), p[2] = static_cast<std::uint8_t>(c[0]), p[3] = 255;
}

zovo::Frame solid(int width, int height, Rgb c)
{
    zovo::Frame frame(width, height, 1.0);
    for (int i = 0; i < width * height; ++i) setPixel(frame, i % width, i / width, c);
    return frame;
}

class GifEncoder : public ::testing::Test {
protected:
    // A writer for `file` with a default delay of 3, which must open.
    std::unique_ptr<zovo::GifWriter> open(int width, int height, zovo::GifOptions options = {})
    {
        auto gif = zovo::GifWriter::create(file, width, height, 3, options);
        EXPECT_TRUE(gif) << (gif ? "" : gif.error());
        return gif ? std::move(gif).value() : nullptr;
    }

    const zovo::TestFolder folder;
    const fs::path& dir = folder.path();
    const fs::path file = dir / "out.gif";
};

TEST_F(GifEncoder, StreamsALoopingAnimationWritingOnlyTheRectangleThatChanged)
{
    zovo::Frame blue = solid(64, 48, {0, 0, 255}), changed = blue;
    for (int i = 0; i < 20; ++i) setPixel(changed, 10 + i % 5, 20 + i / 5, {255, 0, 0});
    zovo::Frame corners = changed;
    setPixel(corners, 63, 0, {0, 255, 0}), setPixel(corners, 0, 47, {0, 255, 0});
    const std::unique_ptr<zovo::GifWriter> gif = open(64, 48);
    ASSERT_TRUE(gif->addFrame(blue));
    const auto one = fs::file_size(file);
    ASSERT_TRUE(gif->addFrame(changed, 7));
    EXPECT_GT(fs::file_size(file), one) << "each frame is on disk when addFrame returns";
    ASSERT_TRUE(gif->addFrame(changed));
    ASSERT_TRUE(gif->addFrame(corners));
    // Last, a screen that turned: the tall frame is shrunk into the wide canvas, centred on black.
    ASSERT_TRUE(gif->addFrame(solid(48, 64, {255, 255, 255})));
    ASSERT_TRUE(gif->finish());

    const Gif read = readGif(file);
    ASSERT_EQ(read.error, "");
    EXPECT_EQ(read.loopCount, 0) << "loops for ever";
    ASSERT_EQ(read.images.size(), 5u);
    auto image = [&](std::size_t i) { return std::array{read.images[i].x, read.images[i].y, read.images[i].width, read.images[i].height, read.images[i].delay}; };
    EXPECT_EQ(image(0), (std::array{0, 0, 64, 48, 3}));
    EXPECT_EQ(image(1), (std::array{10, 20, 5, 4, 7}));
    EXPECT_EQ(image(2), (std::array{0, 0, 1, 1, 3})) << "an unchanged frame costs one pixel and still shows for its time";
    EXPECT_EQ(image(3), (std::array{0, 0, 64, 48, 3})) << "opposite corners changed";
    EXPECT_EQ(read.rgb(3, 12, 21), (Rgb{255, 0, 0})) << "earlier changes are part of the canvas compared with";
    EXPECT_EQ(read.rgb(3, 63, 0), (Rgb{0, 255, 0}));
    EXPECT_EQ(read.rgb(4, 32, 24), (Rgb{255, 255, 255}));
    EXPECT_EQ(read.rgb(4, 5, 24), (Rgb{0, 0, 0}));
    EXPECT_EQ(read.rgb(4, 60, 24), (Rgb{0, 0, 0}));
}

TEST_F(GifEncoder, DownscalesByAveragingWholeBlocks)
{
    // 5 x 3 at a factor of 2 is 3 x 2: the last column and row average the pixels they have.
    zovo::Frame frame = solid(5, 3, {255, 0, 0});
    setPixel(frame, 0, 0, {0, 0, 0}), setPixel(frame, 1, 1, {0, 0, 0});
    setPixel(frame, 1, 0, {255, 255, 255}), setPixel(frame, 0, 1, {255, 255, 255});
    setPixel(frame, 4, 2, {0, 0, 200});
    const std::unique_ptr<zovo::GifWriter> gif = open(5, 3, {.downscale = 2});
    ASSERT_TRUE(gif->addFrame(frame));
    ASSERT_TRUE(gif->finish());
    const Gif read = readGif(file);
    ASSERT_EQ(std::pair(read.width, read.height), std::pair(3, 2));
    EXPECT_EQ(read.rgb(0, 0, 0), (Rgb{128, 128, 128})) << "two black and two white pixels";
    EXPECT_EQ(read.rgb(0, 1, 0), (Rgb{255, 0, 0}));
    EXPECT_EQ(read.rgb(0, 2, 1), (Rgb{0, 0, 200})) << "a corner block of one pixel";
}

TEST_F(GifEncoder, FailuresNameTheFile)
{
    const fs::path missing = dir / "no-such-dir" / "out.gif";
    const auto unopened = zovo::GifWriter::create(missing, 8, 8, 3);
    ASSERT_FALSE(unopened);
    EXPECT_EQ(unopened.error().rfind(missing.string() + ": cannot open for writing", 0), 0u) << unopened.error();

    const std::unique_ptr<zovo::GifWriter> none = open(8, 8);
    EXPECT_FALSE(none->addFrame(zovo::Frame()));
    EXPECT_EQ(none->finish().error(), file.string() + ": no frames were added to the animation");
    EXPECT_FALSE(none->addFrame(solid(8, 8, {0, 0, 0}))) << "nothing is added once finished";

    EXPECT_THROW((void)zovo::GifWriter::create(file, 8, 65536, 3), std::invalid_argument);
    EXPECT_THROW((void)zovo::GifWriter::create(file, 8, 8, -1), std::invalid_argument);
    EXPECT_THROW((void)zovo::GifWriter::create(file, 8, 8, 3, {.downscale = 0}), std::invalid_argument);
}

} // namespace
