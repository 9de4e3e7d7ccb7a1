// What an animation file holds, read without trusting the writer that made it: a GIF decoded by the
// tests' own reader (GifReader.h), a WebP by libwebp (WebPOutline.h). For tests that count frames
// and add up their times.
//
//   const zovo::AnimationOutline gif = zovo::gifOutline(dir / "animation.gif");
//   EXPECT_EQ(gif.delays, std::vector<int>(9, 10));   // centiseconds
#pragma once

#include "GifReader.h"

#include <filesystem>
#include <vector>

namespace zovo {

// The canvas and each frame's time on screen (centiseconds for a GIF, milliseconds for a WebP).
// Nothing at all when the file is not a whole, well-formed GIF.
struct AnimationOutline {
    int width = 0, height = 0;
    std::vector<int> delays;
};

inline AnimationOutline gifOutline(const std::filesystem::path& file)
{
    const test::Gif gif = test::readGif(file);
    if (!gif.error.empty()) return {};
    AnimationOutline outline{gif.width, gif.height, {}};
    for (const test::Gif::Image& image : gif.images) outline.delays.push_back(image.delay);
    return outline;
}

} // namespace zovo
