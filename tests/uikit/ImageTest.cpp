#include "foundation/NSNumber.h"
#include "foundation/NSString.h"
#include "foundation/Process.h"
#include "objc/Message.h"
#include "uikit/CGImage.h"
#include "uikit/UIImage.h"
#include "uikit/UIKitClasses.h"

#include <gtest/gtest.h>

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

TEST(CGImage, DescribesItsLayoutWithThePlatformsConstants)
{
    struct Case {
        zovo::PixelFormat format;
        CGImageAlphaInfo alpha;
        CGBitmapInfo order;
    };
    const Case cases[] = {
        {{zovo::ChannelOrder::RGBA, zovo::AlphaMode::Premultiplied}, kCGImageAlphaPremultipliedLast, kCGBitmapByteOrder32Big},
        {{zovo::ChannelOrder::RGBA, zovo::AlphaMode::Straight}, kCGImageAlphaLast, kCGBitmapByteOrder32Big},
        {{zovo::ChannelOrder::BGRA, zovo::AlphaMode::Premultiplied}, kCGImageAlphaPremultipliedFirst, kCGBitmapByteOrder32Little},
        {{zovo::ChannelOrder::BGRA, zovo::AlphaMode::Straight}, kCGImageAlphaFirst, kCGBitmapByteOrder32Little},
    };
    for (const Case& c : cases) {
        // Two pixels a row, padded to 12 bytes.
        auto image = CGImage::create(2, 3, c.format, std::vector<std::uint8_t>(36), 12);
        EXPECT_EQ(CGImageGetWidth(image.get()), 2u);
        EXPECT_EQ(CGImageGetHeight(image.get()), 3u);
        EXPECT_EQ(CGImageGetBytesPerRow(image.get()), 12u);
        EXPECT_EQ(CGImageGetBitsPerPixel(image.get()), 32u);
        EXPECT_EQ(CGImageGetAlphaInfo(image.get()), c.alpha);
        EXPECT_EQ(CGImageGetBitmapInfo(image.get()) & kCGBitmapAlphaInfoMask, static_cast<CGBitmapInfo>(c.alpha));
        EXPECT_EQ(CGImageGetBitmapInfo(image.get()) & kCGBitmapByteOrderMask, c.order);
    }
    EXPECT_EQ(CGImageGetBytesPerRow(CGImage::create(5, 1, kRGBAStraight, std::vector<std::uint8_t>(20)).get()), 20u)
        << "rows are packed unless told otherwise";
}

TEST(CGImage, RefusesLayoutsThatDoNotAddUp)
{
    EXPECT_THROW(CGImage::create(2, 2, kRGBAStraight, std::vector<std::uint8_t>(16), 7), std::invalid_argument) << "row narrower than its pixels";
    EXPECT_THROW(CGImage::create(2, 2, kRGBAStraight, std::vector<std::uint8_t>(15)), std::invalid_argument) << "one byte short";
    EXPECT_THROW(CGImage::create(2, 2, kRGBAStraight, std::vector<std::uint8_t>(17)), std::invalid_argument) << "one byte over";
    EXPECT_THROW(CGImage::create(zovo::kMaxImageSide + 1, 0, kRGBAStraight, {}), std::invalid_argument);
    EXPECT_THROW(CGImage::create(3, 0, kRGBAStraight, std::vector<std::uint8_t>(4)), std::invalid_argument) << "bytes for no rows";
    // A row length so large that rows × height would wrap around must not pass for a small total.
    EXPECT_THROW(CGImage::create(1, 4, kRGBAStraight, std::vector<std::uint8_t>(4), (SIZE_MAX / 4) + 2), std::invalid_argument);
    EXPECT_NO_THROW(CGImage::create(0, 0, kRGBAStraight, {}));
    EXPECT_NO_THROW(CGImage::create(0, 5, kRGBAStraight, {}));
}

TEST(CGImage, ReadsPixelsByChannelOrderAndPremultipliesStraightColour)
{
    auto rgba = CGImage::create(2, 1, kRGBAStraight, pixels({{255, 128, 0, 128}, {10, 20, 30, 255}}));
    auto bgra = CGImage::create(2, 1, kBGRAPremultiplied, pixels({{0, 64, 128, 128}, {30, 20, 10, 255}}));
    EXPECT_EQ(rgba->rgbaAt(0, 0), (Pixel{255, 128, 0, 128}));
    EXPECT_EQ(bgra->rgbaAt(1, 0), (Pixel{10, 20, 30, 255}));

    std::array<std::uint32_t, 2> words{};
    rgba->copyAsPremultipliedARGB32(reinterpret_cast<std::uint8_t*>(words.data()), 8);
    EXPECT_EQ(words[0], 0x80804000u) << "255 and 128 at half coverage become 128 and 64";
    EXPECT_EQ(words[1], 0xFF0A141Eu);
    bgra->copyAsPremultipliedARGB32(reinterpret_cast<std::uint8_t*>(words.data()), 8);
    EXPECT_EQ(words[0], 0x80804000u) << "premultiplied colour is copied as it is";
}

TEST(CGImage, DataCopiesMatchTheImageAndAreCountedUntilReleased)
{
    auto image = CGImage::create(1, 2, kRGBAStraight, pixels({{1, 2, 3, 4}, {5, 6, 7, 8}}));
    const long before = zovo::liveDataCopies();
    CFDataRef data = CGDataProviderCopyData(CGImageGetDataProvider(image.get()));
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(zovo::liveDataCopies(), before + 1);
    ASSERT_EQ(CFDataGetLength(data), 8);
    EXPECT_TRUE(std::equal(image->bytes().begin(), image->bytes().end(), CFDataGetBytePtr(data)));
    EXPECT_NE(CFDataGetBytePtr(data), image->bytes().data()) << "a copy, not the image's own storage";
    image.reset();
    EXPECT_EQ(CFDataGetBytePtr(data)[7], 8) << "the copy outlives the image";
    CFRelease(data);
    EXPECT_EQ(zovo::liveDataCopies(), before);

    // Null is answered with nothing rather than a crash.
    EXPECT_EQ(CGImageGetWidth(nullptr), 0u);
    EXPECT_EQ(CGImageGetBitsPerPixel(nullptr), 0u);
    EXPECT_EQ(CGImageGetDataProvider(nullptr), nullptr);
    EXPECT_EQ(CGDataProviderCopyData(nullptr), nullptr);
    EXPECT_EQ(CFDataGetBytePtr(nullptr), nullptr);
    EXPECT_EQ(CFDataGetLength(nullptr), 0);
    CFRelease(nullptr);
}

// ---- PNG files and UIImage ------------------------------------------------------------------------

class ImageFiles : public ::testing::Test {
protected:
    ImageFiles() { registerUIKitClasses(process.runtime()); }

    // Inside the process's own temporary root, removed with the process.
    std::filesystem::path file(const std::string& name) const { return process.root() / name; }

    std::vector<std::uint8_t> encoded(std::size_t width, std::size_t height, Pixel fill)
    {
        std::vector<std::uint8_t> bytes;
        for (std::size_t i = 0; i < width * height; ++i) bytes.insert(bytes.end(), fill.begin(), fill.end());
        std::vector<std::uint8_t> out;
        EXPECT_TRUE(zovo::encodePNG(CGImage::create(width, height, kRGBAStraight, std::move(bytes)).get(), out));
        return out;
    }
    std::filesystem::path writeBytes(const std::string& name, const std::vector<std::uint8_t>& bytes)
    {
        std::ofstream(file(name), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return file(name);
    }
    // The offset of a chunk's type in an encoded PNG.
    static std::size_t chunkOffset(const std::vector<std::uint8_t>& png, const char* type)
    {
        auto it = std::search(png.begin(), png.end(), type, type + 4);
        EXPECT_NE(it, png.end());
        return static_cast<std::size_t>(it - png.begin());
    }
    static void setBigEndian(std::vector<std::uint8_t>& png, std::size_t offset, std::uint32_t value)
    {
        for (int i = 0; i < 4; ++i) png[offset + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
    }

    zovo::Process process;
};

TEST_F(ImageFiles, PNGRoundTripKeepsSizeAndColours)
{
    auto original = CGImage::create(3, 2, kRGBAStraight,
                                    pixels({{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}, {10, 20, 30, 255}, {200, 100, 50, 0}, {255, 128, 0, 128}}));
    ASSERT_TRUE(zovo::writePNG(original.get(), file("round.png")));
    zovo::ImageResult loaded = zovo::loadPNG(file("round.png"));
    ASSERT_TRUE(loaded) << loaded.message;
    ASSERT_EQ(loaded.image->width(), 3u);
    ASSERT_EQ(loaded.image->height(), 2u);
    EXPECT_EQ(loaded.image->format(), kBGRAPremultiplied) << "decoded as the platform decodes icons";
    EXPECT_EQ(loaded.image->rgbaAt(0, 0), (Pixel{255, 0, 0, 255}));
    EXPECT_EQ(loaded.image->rgbaAt(2, 0), (Pixel{0, 0, 255, 255}));
    EXPECT_EQ(loaded.image->rgbaAt(0, 1), (Pixel{10, 20, 30, 255}));
    EXPECT_EQ(loaded.image->rgbaAt(1, 1), (Pixel{0, 0, 0, 0})) << "no colour survives without coverage";
    Pixel translucent = loaded.image->rgbaAt(2, 1);
    EXPECT_EQ(translucent[3], 128);
    EXPECT_NEAR(translucent[0], 128, 1);
    EXPECT_NEAR(translucent[1], 64, 1);
    EXPECT_EQ(translucent[2], 0);

    // A premultiplied BGRA image (what decoding gives) survives a second trip unchanged.
    std::vector<std::uint8_t> again;
    ASSERT_TRUE(zovo::encodePNG(loaded.image.get(), again));
    zovo::ImageResult second = zovo::decodePNG(again);
    ASSERT_TRUE(second) << second.message;
    EXPECT_EQ(second.image->bytes(), loaded.image->bytes());
}

TEST_F(ImageFiles, LoadErrorsNameTheFileAndTheProblem)
{
    const auto valid = encoded(1, 1, {1, 2, 3, 255});
    std::filesystem::create_directory(file("folder.png"));
    std::ofstream(file("notes.png")) << "these are not pixels";
    std::ofstream(file("empty.png"));

    auto wide = valid;
    setBigEndian(wide, chunkOffset(wide, "IHDR") + 4, 4097);
    auto zeroWidth = valid;
    setBigEndian(zeroWidth, chunkOffset(zeroWidth, "IHDR") + 4, 0);
    auto truncated = valid;
    truncated.resize(chunkOffset(valid, "IDAT") + 6);
    auto damaged = valid;
    damaged[chunkOffset(damaged, "IDAT") + 6] ^= 0x5A;
    auto headerOnly = std::vector<std::uint8_t>(valid.begin(), valid.begin() + 20);
    auto noHeader = valid;
    std::copy_n("IDAT", 4, noHeader.begin() + 12);

    struct Case {
        std::filesystem::path path;
        zovo::ImageError error;
        const char* says;
    };
    const Case cases[] = {
        {file("absent.png"), zovo::ImageError::Missing, "no such file"},
        {file("folder.png"), zovo::ImageError::Unreadable, "not a regular file"},
        {file("notes.png"), zovo::ImageError::NotPNG, "not a PNG"},
        {file("empty.png"), zovo::ImageError::NotPNG, "empty"},
        {writeBytes("wide.png", wide), zovo::ImageError::TooLarge, "4097 x 1"},
        {writeBytes("zero.png", zeroWidth), zovo::ImageError::Corrupt, "0 x 1"},
        {writeBytes("truncated.png", truncated), zovo::ImageError::Corrupt, "corrupt"},
        {writeBytes("damaged.png", damaged), zovo::ImageError::Corrupt, "corrupt"},
        {writeBytes("header-only.png", headerOnly), zovo::ImageError::Corrupt, "header"},
        {writeBytes("no-header.png", noHeader), zovo::ImageError::Corrupt, "IHDR"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.filename().string());
        zovo::ImageResult result = zovo::loadPNG(c.path);
        EXPECT_FALSE(result);
        EXPECT_EQ(result.error, c.error) << result.message;
        EXPECT_EQ(result.image, nullptr);
        EXPECT_NE(result.message.find(c.path.string()), std::string::npos) << result.message;
        EXPECT_NE(result.message.find(c.says), std::string::npos) << result.message;
    }
}

TEST_F(ImageFiles, TheSizeLimitIsInclusive)
{
    // A header claiming exactly the largest height gets past the size check and fails only for
    // want of pixel data.
    auto tall = encoded(1, 1, {0, 0, 0, 255});
    setBigEndian(tall, chunkOffset(tall, "IHDR") + 8, static_cast<std::uint32_t>(zovo::kMaxPNGSide));
    zovo::ImageResult result = zovo::decodePNG(tall, "tall");
    EXPECT_EQ(result.error, zovo::ImageError::Corrupt) << result.message;
    EXPECT_EQ(result.message.rfind("tall: ", 0), 0u) << "messages start with the name given";

    auto wide = encoded(zovo::kMaxPNGSide, 1, {9, 8, 7, 255});
    zovo::ImageResult widest = zovo::decodePNG(wide);
    ASSERT_TRUE(widest) << widest.message;
    EXPECT_EQ(widest.image->rgbaAt(zovo::kMaxPNGSide - 1, 0), (Pixel{9, 8, 7, 255}));
}

TEST_F(ImageFiles, WritingReportsWhatCannotBeWritten)
{
    auto none = CGImage::create(0, 3, kRGBAStraight, {});
    zovo::ImageWriteResult empty = zovo::writePNG(none.get(), file("none.png"));
    EXPECT_FALSE(empty);
    EXPECT_NE(empty.message.find("none.png"), std::string::npos) << empty.message;
    EXPECT_FALSE(std::filesystem::exists(file("none.png")));

    auto one = CGImage::create(1, 1, kRGBAStraight, pixels({{1, 2, 3, 255}}));
    zovo::ImageWriteResult noDirectory = zovo::writePNG(one.get(), file("missing-dir/out.png"));
    EXPECT_FALSE(noDirectory);
    EXPECT_NE(noDirectory.message.find("missing-dir/out.png"), std::string::npos) << noDirectory.message;

    auto bare = objc::make<UIImage>();
    zovo::ImageWriteResult noBitmap = zovo::writePNG(*bare, file("bare.png"));
    EXPECT_FALSE(noBitmap);
    EXPECT_NE(noBitmap.message.find("no bitmap"), std::string::npos) << noBitmap.message;
}

TEST_F(ImageFiles, ImageWithContentsOfFileTakesItsScaleFromTheName)
{
    auto bytes = std::vector<std::uint8_t>(6 * 3 * 4, 255);
    auto image = CGImage::create(6, 3, kRGBAStraight, bytes);
    ASSERT_TRUE(zovo::writePNG(image.get(), file("icon@3x.png")));
    ASSERT_TRUE(zovo::writePNG(image.get(), file("icon@2x.png")));
    ASSERT_TRUE(zovo::writePNG(image.get(), file("icon.png")));

    objc::Class cls = objc::objc_getClass("UIImage");
    auto load = [&](const std::filesystem::path& path) { return objc::send<objc::Id>(cls, "imageWithContentsOfFile:", NSString::from(path.string())); };
    objc::Id triple = load(file("icon@3x.png"));
    ASSERT_TRUE(triple);
    EXPECT_EQ(objc::send<double>(triple, "scale"), 3.0);
    EXPECT_EQ(objc::send<CGSize>(triple, "size"), CGSizeMake(2, 1));
    EXPECT_EQ(objc::send<CGSize>(load(file("icon@2x.png")), "size"), CGSizeMake(3, 1.5));
    EXPECT_EQ(objc::send<CGSize>(load(file("icon.png")), "size"), CGSizeMake(6, 3));

    EXPECT_FALSE(load(file("absent.png")));
    EXPECT_FALSE(objc::send<objc::Id>(cls, "imageWithContentsOfFile:", NSNumber::numberWithDouble(1)));
    EXPECT_FALSE(objc::send<objc::Id>(cls, "imageWithContentsOfFile:", nullptr));
}

TEST_F(ImageFiles, MessagesReachTheBitmapAndAnImageWithoutOneIsEmpty)
{
    auto image = UIImage::fromPixels(4, 2, kBGRAPremultiplied, std::vector<std::uint8_t>(32), 2.0);
    EXPECT_EQ(objc::send<CGImageRef>(image, "CGImage"), image->CGImage());
    EXPECT_EQ(objc::send<CGSize>(image, "size"), CGSizeMake(2, 1));

    objc::Id bare = objc::class_createInstance(objc::objc_getClass("UIImage"));
    EXPECT_EQ(objc::send<CGImageRef>(bare, "CGImage"), nullptr);
    EXPECT_EQ(objc::send<CGSize>(bare, "size"), CGSizeMake(0, 0));
    EXPECT_EQ(objc::send<double>(bare, "scale"), 1.0);

    EXPECT_THROW(UIImage::fromPixels(1, 1, kRGBAStraight, std::vector<std::uint8_t>(4), 0.0), std::invalid_argument);
    EXPECT_THROW(UIImage::fromPixels(1, 1, kRGBAStraight, std::vector<std::uint8_t>(4), std::nan("")), std::invalid_argument);
    EXPECT_THROW(UIImage::fromPixels(1, 1, kRGBAStraight, std::vector<std::uint8_t>(3)), std::invalid_argument);
}

} // namespace
