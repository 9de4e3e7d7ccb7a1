// What an animation file holds, read without trusting the writer that made it: a GIF walked block
// by block here, a WebP decoded by libwebp in WebPOutline.h. For tests that count frames and add
// up their times.
//
//   const zovo::AnimationOutline gif = zovo::gifOutline(dir / "animation.gif");
//   EXPECT_EQ(gif.delays, std::vector<int>(9, 10));   // centiseconds
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace zovo {

// The canvas and each frame's time on screen (centiseconds for a GIF, milliseconds for a WebP).
// Nothing at all when the file does not end where its blocks say it should.
struct AnimationOutline {
    int width = 0, height = 0;
    std::vector<int> delays;
};

inline AnimationOutline gifOutline(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    const std::vector<std::uint8_t> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (b.size() < 13 || std::string(b.begin(), b.begin() + 6) != "GIF89a") return {};
    auto table = [](std::size_t flags) { return (flags & 0x80) ? std::size_t{3} << ((flags & 7) + 1) : 0; };
    auto skipBlocks = [&](std::size_t at) {
        while (at < b.size() && b[at] != 0) at += b[at] + 1u;
        return at + 1;
    };
    std::vector<int> delays;
    for (std::size_t at = 13 + table(b[10]), delay = 0; at < b.size();) {
        if (const std::uint8_t kind = b[at++]; kind == 0x3B && at == b.size()) {
            return {b[6] | (b[7] << 8), b[8] | (b[9] << 8), delays};
        } else if (kind == 0x21 && at + 5 < b.size()) {
            if (b[at] == 0xF9) delay = b[at + 3] | (b[at + 4] << 8);
            at = skipBlocks(at + 1);
        } else if (kind == 0x2C && at + 9 < b.size()) {
            at = skipBlocks(at + 9 + table(b[at + 8]) + 1);
            delays.push_back(static_cast<int>(delay));
        } else {
            break;
        }
    }
    return {};
}

} // namespace zovo
