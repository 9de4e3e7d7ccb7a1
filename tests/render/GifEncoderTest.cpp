#include "render/GifEncoder.h"
#include "TestFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using Rgb = std::array<int, 3>;

// ---- A small GIF reader, written apart from the writer so that it checks it -------------------

struct Gif {
    struct Image {
        int x, y, width, height, delay;
        Bytes indices, table;
    };
    std::string error;
    int width = 0, height = 0, loopCount = -1, widestCode = 0, clearCodes = 0;
    Bytes globalTable;
    std::vector<Image> images;

    // The colour image `i` gives the screen pixel (x, y), which must be inside its rectangle.
    Rgb rgb(std::size_t i, int x, int y) const
    {
        const Image& m = images.at(i);
        const std::size_t index = m.indices.at(static_cast<std::size_t>((y - m.y) * m.width + x - m.x)) * 3u;
        return {m.table.at(index), m.table.at(index + 1), m.table.at(index + 2)};
    }
};

// Decodes image data (sub-blocks joined) into `out`, counting code widths and clears in `gif`.
// Returns why a decoder could not follow the data, or nothing.
std::string lzwDecode(const Bytes& data, int minCodeSize, Bytes& out, Gif& gif)
{
    const std::size_t clear = std::size_t{1} << minCodeSize;
    std::vector<Bytes> table;
    Bytes previous;
    for (std::size_t bit = 0, width = 0, code = 0;; code = 0) {
        if (table.empty()) {
            for (std::size_t i = 0; i < clear + 2; ++i) table.push_back({static_cast<std::uint8_t>(i)});
            width = static_cast<std::size_t>(minCodeSize) + 1, previous.clear();
        }
        if (bit + width > data.size() * 8) return "data ends without an end code";
        for (std::size_t b = 0; b < width; ++b, ++bit) code |= static_cast<std::size_t>((data[bit / 8] >> (bit % 8)) & 1) << b;
        gif.widestCode = std::max(gif.widestCode, static_cast<int>(width));
        if (code == clear) {
            table.clear(), ++gif.clearCodes;
            continue;
        }
        if (code == clear + 1) return "";
        // The first code after a clear must be a colour; later ones may be the entry being defined.
        if (previous.empty() ? code > clear : code > table.size()) return "code " + std::to_string(code) + " is not in the table";
        Bytes entry = code < table.size() ? table[code] : previous;
        if (code == table.size()) entry.push_back(previous.front());
        if (!previous.empty() && table.size() < 4096) previous.push_back(entry.front()), table.push_back(previous);
        if (table.size() == std::size_t{1} << width && width < 12) ++width;
        out.insert(out.end(), entry.begin(), entry.end());
        previous = entry;
    }
}

Gif readGif(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    const Bytes b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Gif gif;
    std::size_t at = 0;
    auto u8 = [&]() -> int { return b.at(at++); };
    auto u16 = [&] { const int low = u8(); return low | (u8() << 8); };
    auto bytes = [&](std::size_t n) { Bytes r; while (n--) r.push_back(static_cast<std::uint8_t>(u8())); return r; };
    auto blocks = [&] { Bytes r; for (int n = u8(); n != 0; n = u8()) for (std::uint8_t c : bytes(std::size_t(n))) r.push_back(c); return r; };
    auto table = [&](int flags) { return flags & 0x80 ? bytes(std::size_t{3} << ((flags & 7) + 1)) : gif.globalTable; };
    try {
        if (const Bytes magic = bytes(6); std::string(magic.begin(), magic.end()) != "GIF89a") return gif.error = "no GIF89a header", gif;
        gif.width = u16(), gif.height = u16();
        const int flags = u8();
        at += 2; // background colour and aspect ratio
        gif.globalTable = table(flags);
        int delay = -1;
        for (int kind = u8(); kind != 0x3B; kind = u8()) {
            if (kind == 0x21) {
                const int label = u8();
                const Bytes body = blocks();
                if (label == 0xF9 && body.size() == 4) delay = body[1] | (body[2] << 8);
                if (label == 0xFF && body.size() == 14 && std::string(body.begin(), body.begin() + 11) == "NETSCAPE2.0") gif.loopCount = body[12] | (body[13] << 8);
                continue;
            }
            if (kind != 0x2C) return gif.error = "unknown block " + std::to_string(kind), gif;
            Gif::Image m{u16(), u16(), u16(), u16(), std::exchange(delay, -1)};
            m.table = table(u8());
            const int minCodeSize = u8();
            if (std::string e = lzwDecode(blocks(), minCodeSize, m.indices, gif); !e.empty()) return gif.error = e, gif;
            if (m.indices.size() != std::size_t(m.width * m.height) || m.x + m.width > gif.width || m.y + m.height > gif.height ||
                std::ranges::any_of(m.indices, [&](std::size_t i) { return i * 3 >= m.table.size(); }))
                return gif.error = "image " + std::to_string(gif.images.size()) + " does not fit its rectangle, the screen or its colours", gif;
            gif.images.push_back(std::move(m));
        }
        if (at != b.size()) gif.error = "bytes after the trailer";
    } catch (const std::out_of_range&) {
        gif.error = "cut short";
    }
    return gif;
}

// ---- Frames -----------------------------------------------------------------------------------

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
    // Writes `frames` with a delay of 3 and reads the file back.
    Gif roundTrip(int width, int height, const std::vector<zovo::Frame>& frames, zovo::GifOptions options = {})
    {
        zovo::GifWriter gif(file, width, height, 3, options);
        for (const zovo::Frame& frame : frames) EXPECT_TRUE(gif.addFrame(frame));
        const zovo::ErrorOr<void> done = gif.finish();
        EXPECT_TRUE(done) << (done ? "" : done.error());
        Gif read = readGif(file);
        EXPECT_EQ(read.error, "");
        return read;
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
    zovo::GifWriter gif(file, 64, 48, 3);
    ASSERT_TRUE(gif.addFrame(blue));
    const auto one = fs::file_size(file);
    ASSERT_TRUE(gif.addFrame(changed, 7));
    EXPECT_GT(fs::file_size(file), one) << "each frame is on disk when addFrame returns";
    ASSERT_TRUE(gif.addFrame(changed));
    ASSERT_TRUE(gif.addFrame(corners));
    // Last, a screen that turned: the tall frame is shrunk into the wide canvas, centred on black.
    ASSERT_TRUE(gif.addFrame(solid(48, 64, {255, 255, 255})));
    ASSERT_TRUE(gif.finish());

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

TEST_F(GifEncoder, AdaptivePaletteFollowsTheFramesColours)
{
    // 200 shades of one hue: a cube of fixed levels has six of them, a table made for the frame
    // keeps nearly every one.
    zovo::Frame frame(200, 4, 1.0);
    for (int i = 0; i < 800; ++i) setPixel(frame, i % 200, i / 200, {20 + i % 200, 10 + i % 200 / 2, 90});
    const Gif read = roundTrip(200, 4, {frame});
    int worst = 0;
    for (int x = 0; x < 200; ++x) {
        const Rgb c = read.rgb(0, x, 2);
        worst = std::max({worst, std::abs(c[0] - (20 + x)), std::abs(c[1] - (10 + x / 2)), std::abs(c[2] - 90)});
    }
    EXPECT_LE(worst, 4);
}

TEST_F(GifEncoder, CompressionSurvivesCodeGrowthAndTableResets)
{
    // Noise fills the 4096-entry table many times over; runs make the decoder meet codes it is
    // defining as it reads them.
    std::mt19937 random(7);
    for (int minCodeSize : {2, 8}) {
        Bytes indices(70000), data, back;
        for (std::size_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<std::uint8_t>(i % 97 < 40 ? 1 : random() % (1u << minCodeSize));
        zovo::gifCompress(indices, minCodeSize, data);
        Gif trace;
        ASSERT_EQ(lzwDecode(data, minCodeSize, back, trace), "") << "min code size " << minCodeSize;
        EXPECT_EQ(back, indices) << "min code size " << minCodeSize;
        EXPECT_EQ(trace.widestCode, 12);
        EXPECT_GE(trace.clearCodes, 2) << "the first clear and at least one when the table filled";
    }
}

TEST_F(GifEncoder, DownscalesByAveragingWholeBlocks)
{
    // 5 x 3 at a factor of 2 is 3 x 2: the last column and row average the pixels they have.
    zovo::Frame frame = solid(5, 3, {255, 0, 0});
    setPixel(frame, 0, 0, {0, 0, 0}), setPixel(frame, 1, 1, {0, 0, 0});
    setPixel(frame, 1, 0, {255, 255, 255}), setPixel(frame, 0, 1, {255, 255, 255});
    setPixel(frame, 4, 2, {0, 0, 200});
    const Gif read = roundTrip(5, 3, {frame}, {.downscale = 2});
    ASSERT_EQ(std::pair(read.width, read.height), std::pair(3, 2));
    EXPECT_EQ(read.rgb(0, 0, 0), (Rgb{128, 128, 128})) << "two black and two white pixels";
    EXPECT_EQ(read.rgb(0, 1, 0), (Rgb{255, 0, 0}));
    EXPECT_EQ(read.rgb(0, 2, 1), (Rgb{0, 0, 200})) << "a corner block of one pixel";
}

TEST_F(GifEncoder, FailuresNameTheFileAndAreRepeated)
{
    const fs::path missing = dir / "no-such-dir" / "out.gif";
    zovo::GifWriter gif(missing, 8, 8, 3);
    EXPECT_NE(gif.addFrame(solid(8, 8, {1, 2, 3})).error().find(missing.string()), std::string::npos);
    EXPECT_NE(gif.finish().error().find(missing.string()), std::string::npos);
    EXPECT_EQ(gif.frameCount(), 0);

    zovo::GifWriter none(file, 8, 8, 3);
    EXPECT_FALSE(none.addFrame(zovo::Frame()));
    EXPECT_NE(none.finish().error().find("no frames"), std::string::npos);
    EXPECT_FALSE(none.addFrame(solid(8, 8, {0, 0, 0}))) << "nothing is added once finished";

    EXPECT_THROW(zovo::GifWriter(file, 8, 65536, 3), std::invalid_argument);
    EXPECT_THROW(zovo::GifWriter(file, 8, 8, -1), std::invalid_argument);
    EXPECT_THROW(zovo::GifWriter(file, 8, 8, 3, {.downscale = 0}), std::invalid_argument);
    Bytes data;
    EXPECT_THROW(zovo::gifCompress({0}, 1, data), std::invalid_argument);
}

} // namespace
