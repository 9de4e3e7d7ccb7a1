#include "render/WebPAnimation.h"
#include "TestFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <utility>

namespace {

namespace fs = std::filesystem;

zovo::Frame solid(int width, int height, std::uint8_t grey)
{
    zovo::Frame frame(width, height, 1);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = frame.data() + static_cast<std::size_t>(y) * frame.stride();
        for (int x = 0; x < width; ++x) {
            row[4 * x] = row[4 * x + 1] = row[4 * x + 2] = grey;
            row[4 * x + 3] = 255;
        }
    }
    return frame;
}

TEST(WebPAnimation, WritesALoopingAnimatedFileAndRefusesWhatItCannotEncode)
{
    const zovo::TestFolder folder;
    const fs::path path = folder / "animation.webp";
    auto open = [&] { return zovo::WebPAnimationWriter::create(path, 8, 6).value(); }; // throws, failing the test, on an error
    {
        const auto webp = open();
        ASSERT_TRUE(webp->addFrame(solid(8, 6, 0), 0));
        ASSERT_TRUE(webp->addFrame(solid(8, 6, 200), 100));
        const zovo::ErrorOr<void> wrongSize = webp->addFrame(solid(4, 4, 0), 200);
        EXPECT_FALSE(wrongSize);
        EXPECT_NE(wrongSize.error().find(path.string()), std::string::npos) << "names the file";
        EXPECT_FALSE(webp->finish(300)) << "the first error stays the result";
    }
    EXPECT_FALSE(fs::exists(path)) << "a failed animation leaves no half-written file";
    const fs::path nowhere = folder / "no-such-dir" / "a.webp";
    const auto unmade = zovo::WebPAnimationWriter::create(nowhere, 8, 6);
    ASSERT_FALSE(unmade) << "a file that cannot be made fails before any frame is encoded";
    EXPECT_EQ(unmade.error().rfind(nowhere.string() + ": cannot open for writing", 0), 0u) << unmade.error();

    {
        const auto webp = open();
        ASSERT_TRUE(webp->addFrame(solid(8, 6, 0), 0));
        ASSERT_TRUE(webp->addFrame(solid(8, 6, 200), 100));
        ASSERT_TRUE(webp->finish(200));
    }
    std::ifstream file(path, std::ios::binary);
    char header[32] = {};
    file.read(header, sizeof header);
    EXPECT_EQ(std::memcmp(header, "RIFF", 4), 0);
    EXPECT_EQ(std::memcmp(header + 8, "WEBPVP8X", 8), 0);
    EXPECT_TRUE(header[20] & 0x02) << "the animation flag is set";
    fs::remove(path);

    EXPECT_FALSE(open()->finish(100)) << "no frames, no file a viewer could show";
    EXPECT_THROW((void)zovo::WebPAnimationWriter::create(path, 0, 6), std::invalid_argument);
    EXPECT_THROW((void)zovo::WebPAnimationWriter::create(path, 8, 6, {.quality = 101}), std::invalid_argument);
}

} // namespace
