#include "UIKitFixture.h"

#include "foundation/NSNumber.h"
#include "foundation/NSString.h"
#include "objc/Message.h"
#include "uikit/CGImage.h"
#include "uikit/UIImage.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Pixel = std::array<std::uint8_t, 4>;
constexpr zovo::PixelFormat kRGBAStraight{zovo::ChannelOrder::RGBA, zovo::AlphaMode::Straight};
constexpr zovo::PixelFormat kBGRAPremultiplied{zovo::ChannelOrder::BGRA, zovo::AlphaMode::Premultiplied};

std::vector<std::uint8_t> pixels(std::initializer_list<Pixel> list)
{
    std::vector<std::uint8_t> bytes;
    for (const Pixel& p : list) bytes.insert(bytes.end(), p.begin(), p.end());
    return bytes;
}

// ---- CGImage ----------------------------------------------------------------------------------

// The layout constants are the platform's published values, which a reader on a phone is given.
static_assert(kCGImageAlphaPremultipliedLast == 1 && kCGImageAlphaPremultipliedFirst == 2 && kCGImageAlphaLast == 3 && kCGImageAlphaFirst == 4 &&
              kCGImageAlphaNoneSkipLast == 5 && kCGImageAlphaNoneSkipFirst == 6 && kCGImageAlphaOnly == 7 && kCGBitmapAlphaInfoMask == 0x1F &&
              kCGBitmapByteOrderMask == 0x7000 && kCGBitmapByteOrder32Little == 0x2000 && kCGBitmapByteOrder32Big == 0x4000);

// What an image says of its layout is what a reader of its bytes (the component's average colour)
// goes by: row length, 32 bits a pixel, and where alpha sits in which byte order. Null says nothing.
TEST(CGImage, DescribesItsLayoutRefusesLayoutsThatDoNotAddUpReadsPixelsByChannelOrderAndCountsDataCopies)
{
    using zovo::AlphaMode, zovo::ChannelOrder;
    const struct {
        zovo::PixelFormat format;
        CGImageAlphaInfo alpha;
        CGBitmapInfo order;
    } cases[] = {
        {{ChannelOrder::RGBA, AlphaMode::Straight}, kCGImageAlphaLast, kCGBitmapByteOrder32Big},
        {{ChannelOrder::RGBA, AlphaMode::Premultiplied}, kCGImageAlphaPremultipliedLast, kCGBitmapByteOrder32Big},
        {{ChannelOrder::BGRA, AlphaMode::Straight}, kCGImageAlphaFirst, kCGBitmapByteOrder32Little},
        {{ChannelOrder::BGRA, AlphaMode::Premultiplied}, kCGImageAlphaPremultipliedFirst, kCGBitmapByteOrder32Little},
    };
    for (const auto& c : cases) {
        auto image = CGImage::create(3, 2, c.format, std::vector<std::uint8_t>(32), 16);
        EXPECT_EQ(CGImageGetWidth(image.get()), 3u);
        EXPECT_EQ(CGImageGetHeight(image.get()), 2u);
        EXPECT_EQ(CGImageGetBytesPerRow(image.get()), 16u);
        EXPECT_EQ(CGImageGetBitsPerPixel(image.get()), 32u);
        EXPECT_EQ(CGImageGetAlphaInfo(image.get()), c.alpha);
        EXPECT_EQ(CGImageGetBitmapInfo(image.get()), c.order | c.alpha);
    }
    EXPECT_EQ(CGImageGetWidth(nullptr) + CGImageGetHeight(nullptr) + CGImageGetBytesPerRow(nullptr) + CGImageGetBitsPerPixel(nullptr), 0u);
    EXPECT_EQ(CGImageGetAlphaInfo(nullptr), kCGImageAlphaNone);
    EXPECT_EQ(CGImageGetBitmapInfo(nullptr), 0u);
    EXPECT_EQ(CGDataProviderCopyData(CGImageGetDataProvider(nullptr)), nullptr);
    EXPECT_EQ(CFDataGetLength(nullptr), 0);
    CFRelease(nullptr);

    EXPECT_THROW(CGImage::create(2, 2, kRGBAStraight, std::vector<std::uint8_t>(16), 7), std::invalid_argument) << "row narrower than its pixels";
    EXPECT_THROW(CGImage::create(2, 2, kRGBAStraight, std::vector<std::uint8_t>(15)), std::invalid_argument) << "one byte short";
    EXPECT_THROW(CGImage::create(2, 2, kRGBAStraight, std::vector<std::uint8_t>(17)), std::invalid_argument) << "one byte over";
    EXPECT_THROW(CGImage::create(zovo::kMaxImageSide + 1, 0, kRGBAStraight, {}), std::invalid_argument);
    EXPECT_THROW(CGImage::create(3, 0, kRGBAStraight, std::vector<std::uint8_t>(4)), std::invalid_argument) << "bytes for no rows";
    // A row length so large that rows × height would wrap around must not pass for a small total.
    EXPECT_THROW(CGImage::create(1, 4, kRGBAStraight, std::vector<std::uint8_t>(4), (SIZE_MAX / 4) + 2), std::invalid_argument);

    // Pixels are read by channel order, and straight colour is premultiplied.
    auto rgba = CGImage::create(2, 1, kRGBAStraight, pixels({{255, 128, 0, 128}, {10, 20, 30, 255}}));
    auto bgra = CGImage::create(2, 1, kBGRAPremultiplied, pixels({{0, 64, 128, 128}, {30, 20, 10, 255}}));
    EXPECT_EQ(bgra->rgbaAt(1, 0), (Pixel{10, 20, 30, 255}));
    std::array<std::uint32_t, 2> words{};
    rgba->copyAsPremultipliedARGB32(reinterpret_cast<std::uint8_t*>(words.data()), 8);
    EXPECT_EQ(words[0], 0x80804000u) << "255 and 128 at half coverage become 128 and 64";
    EXPECT_EQ(words[1], 0xFF0A141Eu) << "RGBA bytes become an ARGB word";
    bgra->copyAsPremultipliedARGB32(reinterpret_cast<std::uint8_t*>(words.data()), 8);
    EXPECT_EQ(words[0], 0x80804000u) << "premultiplied colour is copied as it is";

    // Data copies outlive the image and are counted until released.
    auto image = CGImage::create(1, 2, kRGBAStraight, pixels({{1, 2, 3, 4}, {5, 6, 7, 8}}));
    const long before = zovo::liveDataCopies();
    CFDataRef data = CGDataProviderCopyData(CGImageGetDataProvider(image.get()));
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(zovo::liveDataCopies(), before + 1);
    ASSERT_EQ(CFDataGetLength(data), 8);
    image.reset();
    EXPECT_EQ(CFDataGetBytePtr(data)[7], 8) << "the copy outlives the image";
    CFRelease(data);
    EXPECT_EQ(zovo::liveDataCopies(), before);
}

// ---- PNG files and UIImage ------------------------------------------------------------------------

class ImageFiles : public UIKitFixture {
protected:
    // Inside the process's own temporary root, removed with the process.
    std::filesystem::path file(const std::string& name) const { return process.root() / name; }

    std::vector<std::uint8_t> encoded(std::size_t width, Pixel fill)
    {
        std::vector<std::uint8_t> bytes, out;
        for (std::size_t i = 0; i < width; ++i) bytes.insert(bytes.end(), fill.begin(), fill.end());
        EXPECT_TRUE(zovo::encodePNG(CGImage::create(width, 1, kRGBAStraight, std::move(bytes)).get(), out));
        return out;
    }
    std::filesystem::path writeBytes(const std::string& name, const std::vector<std::uint8_t>& bytes)
    {
        std::ofstream(file(name), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return file(name);
    }
    // Overwrites the big-endian word `after` bytes past the first occurrence of a chunk's type.
    static std::vector<std::uint8_t> patched(std::vector<std::uint8_t> png, const char* type, std::size_t after, std::uint32_t value)
    {
        const std::size_t at = static_cast<std::size_t>(std::search(png.begin(), png.end(), type, type + 4) - png.begin()) + after;
        for (std::size_t i = 0; i < 4; ++i) png.at(at + i) = static_cast<std::uint8_t>(value >> (24 - 8 * i));
        // Keep the chunk's CRC right, so that the reader sees only the patched value.
        const std::size_t start = at - after;
        const std::uint32_t length = std::uint32_t{png.at(start - 4)} << 24 | std::uint32_t{png.at(start - 3)} << 16 |
                                     std::uint32_t{png.at(start - 2)} << 8 | png.at(start - 1);
        const auto crc = static_cast<std::uint32_t>(crc32(0, png.data() + start, length + 4));
        for (std::size_t i = 0; i < 4; ++i) png.at(start + 4 + length + i) = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
        return png;
    }
};

TEST_F(ImageFiles, PNGRoundTripKeepsSizeAndColoursAndImagesFromFilesTakeTheirScaleFromTheName)
{
    auto original = CGImage::create(3, 1, kRGBAStraight, pixels({{10, 20, 30, 255}, {200, 100, 50, 0}, {255, 128, 0, 128}}));
    ASSERT_TRUE(zovo::writePNG(original.get(), file("round.png")));
    const auto loaded = zovo::loadPNG(file("round.png"));
    ASSERT_TRUE(loaded) << loaded.error();
    ASSERT_EQ(loaded.value()->width(), 3u);
    EXPECT_EQ(loaded.value()->format(), kBGRAPremultiplied) << "decoded as the platform decodes icons";
    EXPECT_EQ(loaded.value()->rgbaAt(0, 0), (Pixel{10, 20, 30, 255}));
    EXPECT_EQ(loaded.value()->rgbaAt(1, 0), (Pixel{0, 0, 0, 0})) << "no colour survives without coverage";
    const Pixel translucent = loaded.value()->rgbaAt(2, 0);
    EXPECT_NEAR(translucent[0], 128, 1);
    EXPECT_NEAR(translucent[1], 64, 1);
    EXPECT_EQ(translucent[3], 128);

    // A premultiplied BGRA image (what decoding gives) survives a second trip unchanged.
    std::vector<std::uint8_t> again;
    ASSERT_TRUE(zovo::encodePNG(loaded.value().get(), again));
    const auto second = zovo::decodePNG(again);
    ASSERT_TRUE(second) << second.error();
    EXPECT_EQ(second.value()->bytes(), loaded.value()->bytes());

    const auto widest = zovo::decodePNG(encoded(zovo::kMaxPNGSide, {9, 8, 7, 255}));
    ASSERT_TRUE(widest) << "the size limit is inclusive: " << widest.error();
    EXPECT_EQ(widest.value()->rgbaAt(zovo::kMaxPNGSide - 1, 0), (Pixel{9, 8, 7, 255}));

    // An image read with imageWithContentsOfFile: takes its scale from the name and refuses bad
    // arguments.
    auto image = CGImage::create(6, 3, kRGBAStraight, std::vector<std::uint8_t>(6 * 3 * 4, 255));
    ASSERT_TRUE(zovo::writePNG(image.get(), file("icon@3x.png")));
    ASSERT_TRUE(zovo::writePNG(image.get(), file("icon.png")));
    ASSERT_TRUE(zovo::writePNG(image.get(), file("@2x.png")));
    objc::Class cls = objc::objc_getClass("UIImage");
    auto load = [&](const objc::StrongId& path) { return objc::send<objc::StrongId>(cls, "imageWithContentsOfFile:", path); };
    objc::StrongId triple = load(NSString::from(file("icon@3x.png").string()));
    ASSERT_TRUE(triple);
    EXPECT_EQ(objc::send<double>(triple, "scale"), 3.0);
    EXPECT_EQ(objc::send<CGSize>(triple, "size"), CGSizeMake(2, 1));
    EXPECT_EQ(objc::send<CGSize>(load(NSString::from(file("icon.png").string())), "size"), CGSizeMake(6, 3));
    EXPECT_EQ(objc::send<double>(load(NSString::from(file("@2x.png").string())), "scale"), 2.0);
    EXPECT_EQ(UIImage::imageWithCGImage(image)->scale(), 1.0);
    EXPECT_THROW(UIImage::imageWithCGImage(image, 0.0), std::invalid_argument);

    EXPECT_FALSE(load(NSString::from(file("absent.png").string())));
    EXPECT_FALSE(load(NSNumber::numberWithDouble(1)));
    EXPECT_FALSE(load(nullptr));
    EXPECT_EQ(objc::send<CGSize>(objc::class_createInstance(cls), "size"), CGSizeMake(0, 0)) << "an image without a bitmap is empty";
    EXPECT_THROW(UIImage::fromPixels(1, 1, kRGBAStraight, std::vector<std::uint8_t>(4), 0.0), std::invalid_argument);
    EXPECT_THROW(UIImage::fromPixels(1, 1, kRGBAStraight, std::vector<std::uint8_t>(4), std::nan("")), std::invalid_argument);
}

TEST_F(ImageFiles, LoadAndWriteErrorsNameTheFileAndTheProblem)
{
    const auto valid = encoded(1, {1, 2, 3, 255});
    std::filesystem::create_directory(file("folder.png"));
    std::ofstream(file("notes.png")) << "these are not pixels";
    auto truncated = valid;
    truncated.resize(truncated.size() - 20);
    auto noHeader = valid;
    std::copy_n("IDAT", 4, noHeader.begin() + 12);
    auto damaged = valid;
    damaged.at(static_cast<std::size_t>(std::search(damaged.begin(), damaged.end(), "IDAT", "IDAT" + 4) - damaged.begin()) + 5) ^= 0x10;
    auto noEnd = valid;
    noEnd.resize(noEnd.size() - 12);

    struct Case {
        std::filesystem::path path;
        const char* kind; // the kind of fault, as the message says it
        const char* says;
    };
    const Case cases[] = {
        {file("absent.png"), "no such file", "absent.png"},
        {file("folder.png"), "not a regular file", "folder.png"},
        {file("notes.png"), "not a PNG file", "no PNG signature"},
        {writeBytes("wide.png", patched(valid, "IHDR", 4, 4097)), "too large: ", "4097 x 1"},
        {writeBytes("zero.png", patched(valid, "IHDR", 4, 0)), "corrupt PNG: ", "0 x 1"},
        // Exactly the largest height gets past the size check and fails only for want of pixels.
        {writeBytes("tall.png", patched(valid, "IHDR", 8, zovo::kMaxPNGSide)), "corrupt PNG: ", "image data does not decode"},
        {writeBytes("truncated.png", truncated), "corrupt PNG: ", "cut short inside the IDAT chunk at byte 51"},
        {writeBytes("damaged.png", damaged), "corrupt PNG: ", "IDAT chunk at byte 51 fails its CRC check"},
        {writeBytes("no-end.png", noEnd), "corrupt PNG: ", "before its closing IEND chunk"},
        {writeBytes("no-header.png", noHeader), "corrupt PNG: ", "IHDR"},
        // Header fields after the size: bit depth, colour type, compression, filter, interlace.
        {writeBytes("type.png", patched(valid, "IHDR", 12, 8u << 24 | 5u << 16)), "corrupt PNG: ", "colour type 5, which PNG does not define"},
        {writeBytes("depth.png", patched(valid, "IHDR", 12, 3u << 24 | 6u << 16)), "corrupt PNG: ", "bit depth of 3, which colour type 6 (truecolour with alpha)"},
        {writeBytes("interlace.png", patched(valid, "IHDR", 13, 6u << 24 | 2u)), "corrupt PNG: ", "interlace method 2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.filename().string());
        const auto result = zovo::loadPNG(c.path);
        ASSERT_FALSE(result);
        EXPECT_EQ(result.error().rfind(c.path.string() + ": " + c.kind, 0), 0u) << result.error();
        EXPECT_NE(result.error().find(c.says), std::string::npos) << result.error();
    }

    zovo::ErrorOr<void> empty = zovo::writePNG(CGImage::create(0, 3, kRGBAStraight, {}).get(), file("none.png"));
    EXPECT_NE(empty.error().find("none.png"), std::string::npos) << empty.error();
    EXPECT_FALSE(std::filesystem::exists(file("none.png")));
    auto one = CGImage::create(1, 1, kRGBAStraight, pixels({{1, 2, 3, 255}}));
    zovo::ErrorOr<void> noDirectory = zovo::writePNG(one.get(), file("missing-dir/out.png"));
    EXPECT_NE(noDirectory.error().find("missing-dir/out.png"), std::string::npos) << noDirectory.error();
    zovo::ErrorOr<void> noBitmap = zovo::writePNG(*objc::make<UIImage>(), file("bare.png"));
    EXPECT_NE(noBitmap.error().find("no bitmap"), std::string::npos) << noBitmap.error();
    EXPECT_FALSE(empty || noDirectory || noBitmap);
}

} // namespace
