#include "render/GifEncoder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// ---- A small GIF reader, written apart from the writer so that it checks it -------------------

struct LzwTrace {
    int widestCode = 0;
    int clearCodes = 0;
};

// Decodes GIF image data (sub-blocks already joined). Returns false with `error` set for data
// that a decoder could not follow.
bool lzwDecode(const Bytes& data, int minCodeSize, Bytes& out, std::string& error, LzwTrace* trace = nullptr)
{
    const int clear = 1 << minCodeSize, end = clear + 1;
    std::vector<int> prefix(4096, -1);
    std::vector<std::uint8_t> suffix(4096), first(4096);
    for (int i = 0; i < clear; ++i) suffix[static_cast<std::size_t>(i)] = first[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    int width = minCodeSize + 1, next = end + 1, previous = -1;
    std::size_t bitPos = 0;
    auto expand = [&](int code) {
        Bytes s;
        for (int c = code; c >= 0; c = prefix[static_cast<std::size_t>(c)]) s.push_back(suffix[static_cast<std::size_t>(c)]);
        return Bytes(s.rbegin(), s.rend());
    };
    for (;;) {
        if (bitPos + static_cast<std::size_t>(width) > data.size() * 8) return error = "data ends without an end code", false;
        int code = 0;
        for (int b = 0; b < width; ++b, ++bitPos) code |= ((data[bitPos / 8] >> (bitPos % 8)) & 1) << b;
        if (trace) trace->widestCode = std::max(trace->widestCode, width);
        if (code == clear) {
            if (trace) ++trace->clearCodes;
            width = minCodeSize + 1, next = end + 1, previous = -1;
            continue;
        }
        if (code == end) return true;
        if (previous < 0) {
            if (code >= clear) return error = "first code after a clear is not a colour", false;
            out.push_back(static_cast<std::uint8_t>(code));
            previous = code;
            continue;
        }
        Bytes s;
        if (code < next) {
            s = expand(code);
        } else if (code == next) {
            s = expand(previous);
            s.push_back(s.front());
        } else {
            return error = "code " + std::to_string(code) + " is not in the table (next " + std::to_string(next) + ")", false;
        }
        if (next < 4096) {
            prefix[static_cast<std::size_t>(next)] = previous;
            suffix[static_cast<std::size_t>(next)] = s.front();
            ++next;
        }
        if (next == (1 << width) && width < 12) ++width;
        out.insert(out.end(), s.begin(), s.end());
        previous = code;
    }
}

struct GifImage {
    int x = 0, y = 0, width = 0, height = 0, delay = -1;
    bool localTable = false;
    Bytes indices;
};

struct Gif {
    std::string error;
    int width = 0, height = 0;
    int loopCount = -1;
    Bytes globalTable;
    std::vector<GifImage> images;
    std::vector<Bytes> canvases; // R, G, B per pixel after each image is drawn
    LzwTrace lzw;
    bool trailer = false;
};

Gif readGif(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    const Bytes b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Gif gif;
    std::size_t at = 0;
    auto need = [&](std::size_t n) {
        if (at + n > b.size()) throw std::runtime_error("cut short at byte " + std::to_string(at));
    };
    auto u8 = [&] { need(1); return b[at++]; };
    auto u16 = [&] { need(2); at += 2; return b[at - 2] | (b[at - 1] << 8); };
    auto blocks = [&] {
        Bytes joined;
        for (std::uint8_t n = u8(); n != 0; n = u8()) {
            need(n);
            joined.insert(joined.end(), b.begin() + static_cast<std::ptrdiff_t>(at), b.begin() + static_cast<std::ptrdiff_t>(at + n));
            at += n;
        }
        return joined;
    };
    try {
        need(6);
        if (std::string(b.begin(), b.begin() + 6) != "GIF89a") return gif.error = "no GIF89a header", gif;
        at = 6;
        gif.width = u16();
        gif.height = u16();
        const std::uint8_t packed = u8();
        u8(), u8();
        if (packed & 0x80) {
            const std::size_t size = std::size_t{3} << ((packed & 7) + 1);
            need(size);
            gif.globalTable.assign(b.begin() + static_cast<std::ptrdiff_t>(at), b.begin() + static_cast<std::ptrdiff_t>(at + size));
            at += size;
        }
        Bytes canvas(static_cast<std::size_t>(gif.width * gif.height * 3), 0);
        int pendingDelay = -1;
        while (!gif.trailer) {
            const std::uint8_t kind = u8();
            if (kind == 0x3B) {
                gif.trailer = true;
            } else if (kind == 0x21) {
                const std::uint8_t label = u8();
                const Bytes body = blocks();
                if (label == 0xF9 && body.size() == 4) pendingDelay = body[1] | (body[2] << 8);
                if (label == 0xFF && body.size() == 14 && std::string(body.begin(), body.begin() + 11) == "NETSCAPE2.0" && body[11] == 1)
                    gif.loopCount = body[12] | (body[13] << 8);
            } else if (kind == 0x2C) {
                GifImage image;
                image.x = u16(), image.y = u16(), image.width = u16(), image.height = u16();
                image.delay = pendingDelay;
                pendingDelay = -1;
                const std::uint8_t flags = u8();
                Bytes table = gif.globalTable;
                if (flags & 0x80) {
                    image.localTable = true;
                    const std::size_t size = std::size_t{3} << ((flags & 7) + 1);
                    need(size);
                    table.assign(b.begin() + static_cast<std::ptrdiff_t>(at), b.begin() + static_cast<std::ptrdiff_t>(at + size));
                    at += size;
                }
                const int minCodeSize = u8();
                std::string lzwError;
                if (!lzwDecode(blocks(), minCodeSize, image.indices, lzwError, &gif.lzw)) return gif.error = lzwError, gif;
                if (image.indices.size() != static_cast<std::size_t>(image.width * image.height))
                    return gif.error = "image " + std::to_string(gif.images.size()) + " has " + std::to_string(image.indices.size()) + " pixels", gif;
                if (image.x + image.width > gif.width || image.y + image.height > gif.height) return gif.error = "image outside the screen", gif;
                for (int y = 0; y < image.height; ++y)
                    for (int x = 0; x < image.width; ++x) {
                        const std::size_t index = image.indices[static_cast<std::size_t>(y * image.width + x)];
                        if (index * 3 + 2 >= table.size()) return gif.error = "index beyond the colour table", gif;
                        for (std::size_t c = 0; c < 3; ++c)
                            canvas[static_cast<std::size_t>(((image.y + y) * gif.width + image.x + x) * 3) + c] = table[index * 3 + c];
                    }
                gif.images.push_back(std::move(image));
                gif.canvases.push_back(canvas);
            } else {
                return gif.error = "unknown block " + std::to_string(kind), gif;
            }
        }
        if (at != b.size()) gif.error = "bytes after the trailer";
    } catch (const std::runtime_error& e) {
        gif.error = e.what();
    }
    return gif;
}

std::array<int, 3> rgbAt(const Gif& gif, std::size_t canvas, int x, int y)
{
    const std::uint8_t* p = gif.canvases.at(canvas).data() + (y * gif.width + x) * 3;
    return {p[0], p[1], p[2]};
}

// ---- Frames -----------------------------------------------------------------------------------

void setPixel(zovo::Frame& frame, int x, int y, int r, int g, int b)
{
    std::uint8_t* p = frame.data() + static_cast<std::size_t>(y) * frame.stride() + static_cast<std::size_t>(x) * 4;
    p[0] = static_cast<std::uint8_t>(b), p[1] = static_cast<std::uint8_t>(g), p[2] = static_cast<std::uint8_t>(r), p[3] = 255;
}

zovo::Frame solid(int width, int height, int r, int g, int b)
{
    zovo::Frame frame(width, height, 1.0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) setPixel(frame, x, y, r, g, b);
    return frame;
}

int distance(const Bytes& table, std::size_t index, std::array<int, 3> c)
{
    int d = 0;
    for (std::size_t k = 0; k < 3; ++k) d += (c[k] - table[index * 3 + k]) * (c[k] - table[index * 3 + k]);
    return d;
}

int nearestDistance(const Bytes& table, std::array<int, 3> c)
{
    int best = 1 << 30;
    for (std::size_t i = 0; i * 3 < table.size(); ++i) best = std::min(best, distance(table, i, c));
    return best;
}

class GifEncoder : public ::testing::Test {
protected:
    GifEncoder()
    {
        dir = fs::temp_directory_path() / ("zovo-gif-" + std::to_string(::getpid()) + "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
    }
    ~GifEncoder() override { fs::remove_all(dir); }

    fs::path dir;
};

TEST_F(GifEncoder, WritesALoopingAnimationWithItsFramesAndDelays)
{
    const fs::path file = dir / "loop.gif";
    zovo::GifWriter gif(file, 40, 30, 5);
    ASSERT_TRUE(gif.addFrame(solid(40, 30, 255, 0, 0)));
    ASSERT_TRUE(gif.addFrame(solid(40, 30, 0, 255, 0), 7));
    ASSERT_TRUE(gif.addFrame(solid(40, 30, 0, 0, 255)));
    const zovo::ImageWriteResult done = gif.finish();
    ASSERT_TRUE(done) << done.message;

    const Gif read = readGif(file);
    ASSERT_EQ(read.error, "");
    EXPECT_EQ(read.width, 40);
    EXPECT_EQ(read.height, 30);
    EXPECT_EQ(read.loopCount, 0) << "loops for ever";
    ASSERT_EQ(read.images.size(), 3u);
    EXPECT_EQ(read.images[0].delay, 5);
    EXPECT_EQ(read.images[1].delay, 7);
    EXPECT_EQ(read.images[2].delay, 5);
    EXPECT_TRUE(read.trailer);
    EXPECT_EQ(rgbAt(read, 2, 39, 29), (std::array<int, 3>{0, 0, 255}));
    EXPECT_EQ(gif.frameCount(), 3);
}

TEST_F(GifEncoder, SolidColourDecodesToTheNearestPaletteColour)
{
    const std::vector<std::array<int, 3>> colours = {{0, 0, 0},      {255, 255, 255}, {100, 100, 100}, {200, 30, 90},
                                                     {23, 180, 250}, {128, 128, 127}, {60, 64, 61},    {250, 128, 5}};
    for (const auto& c : colours) {
        const fs::path fixed = dir / "fixed.gif", adaptive = dir / "adaptive.gif";
        {
            zovo::GifWriter gif(fixed, 8, 8, 10, {.palette = zovo::GifPalette::Fixed});
            ASSERT_TRUE(gif.addFrame(solid(8, 8, c[0], c[1], c[2])));
            zovo::GifWriter exact(adaptive, 8, 8, 10, {.palette = zovo::GifPalette::Adaptive});
            ASSERT_TRUE(exact.addFrame(solid(8, 8, c[0], c[1], c[2])));
        }
        const Gif read = readGif(fixed);
        ASSERT_EQ(read.error, "");
        ASSERT_EQ(read.globalTable.size(), 768u);
        EXPECT_EQ(read.globalTable, zovo::gifFixedPalette());
        const std::set<std::uint8_t> used(read.images[0].indices.begin(), read.images[0].indices.end());
        ASSERT_EQ(used.size(), 1u);
        EXPECT_EQ(distance(read.globalTable, *used.begin(), c), nearestDistance(read.globalTable, c)) << c[0] << "," << c[1] << "," << c[2];

        const Gif exact = readGif(adaptive);
        ASSERT_EQ(exact.error, "");
        EXPECT_TRUE(exact.images[0].localTable);
        EXPECT_EQ(rgbAt(exact, 0, 3, 5), c) << "a table made for the frame holds its one colour exactly";
    }
}

TEST_F(GifEncoder, FixedPaletteKeepsGreysGrey)
{
    // Seven levels of green do not meet the six of red and blue between black and white; the
    // extra greys keep a grey interface from turning green or purple.
    const Bytes& palette = zovo::gifFixedPalette();
    for (int v : {51, 102, 153, 204}) EXPECT_EQ(nearestDistance(palette, {v, v, v}), 0) << v;
}

TEST_F(GifEncoder, CompressionSurvivesCodeGrowthAndTableResets)
{
    // Noise fills the 4096-entry table several times over; runs make the decoder meet codes it
    // is defining as it reads them.
    std::mt19937 random(7);
    for (int minCodeSize = 2; minCodeSize <= 8; ++minCodeSize) {
        for (const std::size_t length : {std::size_t{0}, std::size_t{1}, std::size_t{2}, std::size_t{5000}, std::size_t{70000}}) {
            Bytes indices(length);
            for (std::size_t i = 0; i < length; ++i)
                indices[i] = static_cast<std::uint8_t>(i % 97 < 40 ? 1 : random() % (1u << minCodeSize));
            Bytes data, back;
            zovo::gifCompress(indices, minCodeSize, data);
            std::string error;
            LzwTrace trace;
            ASSERT_TRUE(lzwDecode(data, minCodeSize, back, error, &trace)) << error << " at min code size " << minCodeSize << ", " << length;
            EXPECT_EQ(back, indices) << "min code size " << minCodeSize << ", " << length << " indices";
            if (length == 70000) {
                EXPECT_EQ(trace.widestCode, 12);
                EXPECT_GE(trace.clearCodes, 2) << "the first clear and at least one when the table filled";
            }
        }
    }
    Bytes data;
    EXPECT_THROW(zovo::gifCompress({0}, 1, data), std::invalid_argument);
}

TEST_F(GifEncoder, NoisyFrameDecodesPixelForPixel)
{
    std::mt19937 random(11);
    zovo::Frame frame(200, 150, 1.0);
    std::vector<std::array<int, 3>> colours;
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 200; ++x) {
            const std::array<int, 3> c{static_cast<int>(random() % 256), static_cast<int>(random() % 256), static_cast<int>(random() % 256)};
            setPixel(frame, x, y, c[0], c[1], c[2]);
            colours.push_back(c);
        }
    const fs::path file = dir / "noise.gif";
    {
        zovo::GifWriter gif(file, 200, 150, 4, {.palette = zovo::GifPalette::Fixed});
        ASSERT_TRUE(gif.addFrame(frame));
    }
    const Gif read = readGif(file);
    ASSERT_EQ(read.error, "");
    EXPECT_EQ(read.lzw.widestCode, 12);
    for (int i = 0; i < 200 * 150; ++i) {
        const auto& c = colours[static_cast<std::size_t>(i)];
        ASSERT_EQ(distance(read.globalTable, read.images[0].indices[static_cast<std::size_t>(i)], c), nearestDistance(read.globalTable, c))
            << "pixel " << i;
    }
}

TEST_F(GifEncoder, AdaptivePaletteFollowsTheFramesColours)
{
    // A gradient of 200 shades of one hue: a cube of fixed levels has six of them, a table
    // made for the frame keeps nearly every one.
    zovo::Frame frame(200, 4, 1.0);
    for (int x = 0; x < 200; ++x)
        for (int y = 0; y < 4; ++y) setPixel(frame, x, y, 20 + x, 10 + x / 2, 90);
    const fs::path file = dir / "gradient.gif";
    {
        zovo::GifWriter gif(file, 200, 4, 4);
        ASSERT_TRUE(gif.addFrame(frame));
    }
    const Gif read = readGif(file);
    ASSERT_EQ(read.error, "");
    int worst = 0;
    for (int x = 0; x < 200; ++x) {
        const auto c = rgbAt(read, 0, x, 2);
        worst = std::max({worst, std::abs(c[0] - (20 + x)), std::abs(c[1] - (10 + x / 2)), std::abs(c[2] - 90)});
    }
    EXPECT_LE(worst, 4);
}

TEST_F(GifEncoder, DownscalesByAveragingWholeBlocks)
{
    // 5 x 3 at a factor of 2 is 3 x 2: the last column and row average the pixels they have.
    zovo::Frame frame = solid(5, 3, 255, 0, 0);
    setPixel(frame, 0, 0, 0, 0, 0), setPixel(frame, 1, 0, 255, 255, 255);
    setPixel(frame, 0, 1, 255, 255, 255), setPixel(frame, 1, 1, 0, 0, 0);
    setPixel(frame, 4, 2, 0, 0, 200);
    const fs::path file = dir / "small.gif";
    zovo::GifWriter gif(file, 5, 3, 4, {.downscale = 2});
    EXPECT_EQ(gif.canvasWidth(), 3);
    EXPECT_EQ(gif.canvasHeight(), 2);
    ASSERT_TRUE(gif.addFrame(frame));
    ASSERT_TRUE(gif.finish());
    const Gif read = readGif(file);
    ASSERT_EQ(read.error, "");
    ASSERT_EQ(read.width, 3);
    EXPECT_EQ(rgbAt(read, 0, 0, 0), (std::array<int, 3>{128, 128, 128})) << "two black and two white pixels";
    EXPECT_EQ(rgbAt(read, 0, 1, 0), (std::array<int, 3>{255, 0, 0}));
    EXPECT_EQ(rgbAt(read, 0, 2, 1), (std::array<int, 3>{0, 0, 200})) << "a corner block of one pixel";
}

TEST_F(GifEncoder, WritesOnlyTheRectangleThatChanged)
{
    const fs::path file = dir / "diff.gif";
    zovo::Frame frame = solid(64, 48, 0, 0, 255);
    zovo::GifWriter gif(file, 64, 48, 3);
    ASSERT_TRUE(gif.addFrame(frame));
    for (int y = 20; y < 24; ++y)
        for (int x = 10; x < 15; ++x) setPixel(frame, x, y, 255, 0, 0);
    ASSERT_TRUE(gif.addFrame(frame));
    ASSERT_TRUE(gif.addFrame(frame)); // unchanged
    setPixel(frame, 63, 0, 0, 255, 0);
    setPixel(frame, 0, 47, 0, 255, 0);
    ASSERT_TRUE(gif.addFrame(frame));
    ASSERT_TRUE(gif.finish());

    const Gif read = readGif(file);
    ASSERT_EQ(read.error, "");
    ASSERT_EQ(read.images.size(), 4u);
    auto rect = [&](std::size_t i) {
        const GifImage& m = read.images[i];
        return std::array<int, 4>{m.x, m.y, m.width, m.height};
    };
    EXPECT_EQ(rect(0), (std::array<int, 4>{0, 0, 64, 48}));
    EXPECT_EQ(rect(1), (std::array<int, 4>{10, 20, 5, 4}));
    EXPECT_EQ(rect(2), (std::array<int, 4>{0, 0, 1, 1}));
    EXPECT_EQ(rect(3), (std::array<int, 4>{0, 0, 64, 48})) << "opposite corners changed";
    EXPECT_EQ(read.images[2].delay, 3) << "an unchanged frame still shows for its time";
    EXPECT_EQ(rgbAt(read, 2, 0, 0), (std::array<int, 3>{0, 0, 255}));
    EXPECT_EQ(rgbAt(read, 2, 12, 21), (std::array<int, 3>{255, 0, 0})) << "earlier changes stay on screen";
    EXPECT_EQ(rgbAt(read, 3, 12, 21), (std::array<int, 3>{255, 0, 0}));
    EXPECT_EQ(rgbAt(read, 3, 63, 0), (std::array<int, 3>{0, 255, 0}));
}

TEST_F(GifEncoder, FitsAFrameOfAnotherSizeCentredOnBlack)
{
    // A screen that turned mid-run: the wide frame is shrunk into the tall canvas.
    const fs::path file = dir / "fit.gif";
    zovo::GifWriter gif(file, 20, 40, 3);
    ASSERT_TRUE(gif.addFrame(solid(20, 40, 0, 0, 255)));
    ASSERT_TRUE(gif.addFrame(solid(40, 20, 255, 255, 255)));
    ASSERT_TRUE(gif.finish());
    const Gif read = readGif(file);
    ASSERT_EQ(read.error, "");
    EXPECT_EQ(rgbAt(read, 1, 10, 20), (std::array<int, 3>{255, 255, 255}));
    EXPECT_EQ(rgbAt(read, 1, 0, 15), (std::array<int, 3>{255, 255, 255}));
    EXPECT_EQ(rgbAt(read, 1, 10, 2), (std::array<int, 3>{0, 0, 0}));
    EXPECT_EQ(rgbAt(read, 1, 10, 37), (std::array<int, 3>{0, 0, 0}));
}

TEST_F(GifEncoder, OrderedDitherMixesNeighbouringColoursInProportion)
{
    const fs::path file = dir / "dither.gif";
    zovo::GifWriter gif(file, 16, 16, 3, {.palette = zovo::GifPalette::Fixed, .dither = zovo::GifDither::Ordered});
    ASSERT_TRUE(gif.addFrame(solid(16, 16, 76, 64, 140)));
    ASSERT_TRUE(gif.addFrame(solid(16, 16, 76, 64, 140)));
    ASSERT_TRUE(gif.finish());
    const Gif read = readGif(file);
    ASSERT_EQ(read.error, "");
    std::set<std::uint8_t> used(read.images[0].indices.begin(), read.images[0].indices.end());
    EXPECT_GE(used.size(), 2u);
    std::array<double, 3> mean{};
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const auto c = rgbAt(read, 0, x, y);
            for (std::size_t k = 0; k < 3; ++k) mean[k] += c[k] / 256.0;
        }
    EXPECT_NEAR(mean[0], 76, 4);
    EXPECT_NEAR(mean[1], 64, 4);
    EXPECT_NEAR(mean[2], 140, 4);
    EXPECT_EQ(read.images[1].width, 1) << "the pattern is fixed to the canvas: an unchanged frame dithers the same";
}

TEST_F(GifEncoder, StreamsEachFrameToDisk)
{
    const fs::path file = dir / "stream.gif";
    zovo::GifWriter gif(file, 32, 32, 3);
    const auto header = fs::file_size(file);
    EXPECT_GT(header, 13u) << "the header is on disk before any frame";
    ASSERT_TRUE(gif.addFrame(solid(32, 32, 10, 20, 30)));
    const auto one = fs::file_size(file);
    EXPECT_GT(one, header);
    ASSERT_TRUE(gif.addFrame(solid(32, 32, 30, 20, 10)));
    EXPECT_GT(fs::file_size(file), one);
}

TEST_F(GifEncoder, FailuresNameTheFile)
{
    const fs::path missing = dir / "no-such-dir" / "out.gif";
    zovo::GifWriter gif(missing, 8, 8, 3);
    const zovo::ImageWriteResult added = gif.addFrame(solid(8, 8, 1, 2, 3));
    EXPECT_FALSE(added);
    EXPECT_NE(added.message.find(missing.string()), std::string::npos) << added.message;
    const zovo::ImageWriteResult done = gif.finish();
    EXPECT_FALSE(done);
    EXPECT_NE(done.message.find(missing.string()), std::string::npos);
    EXPECT_EQ(gif.frameCount(), 0);

    const fs::path empty = dir / "empty.gif";
    zovo::GifWriter none(empty, 8, 8, 3);
    EXPECT_FALSE(none.addFrame(zovo::Frame()));
    const zovo::ImageWriteResult nothing = none.finish();
    EXPECT_FALSE(nothing);
    EXPECT_NE(nothing.message.find("no frames"), std::string::npos);
    EXPECT_FALSE(none.addFrame(solid(8, 8, 0, 0, 0))) << "nothing is added once finished";

    EXPECT_THROW(zovo::GifWriter(dir / "a.gif", 0, 8, 3), std::invalid_argument);
    EXPECT_THROW(zovo::GifWriter(dir / "a.gif", 8, 70000, 3), std::invalid_argument);
    EXPECT_THROW(zovo::GifWriter(dir / "a.gif", 8, 8, -1), std::invalid_argument);
    EXPECT_THROW(zovo::GifWriter(dir / "a.gif", 8, 8, 3, {.downscale = 0}), std::invalid_argument);
}

} // namespace
