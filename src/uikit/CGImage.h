// Bitmaps: immutable pixel grids of four bytes per pixel, and the CoreGraphics and CoreFoundation
// calls that read them, with the platform's names.
//
//   auto image = CGImage::create(2, 1, {zovo::ChannelOrder::RGBA, zovo::AlphaMode::Straight},
//                                {255, 0, 0, 255, 0, 0, 255, 255});
//   CFDataRef data = CGDataProviderCopyData(CGImageGetDataProvider(image.get()));
//   const std::uint8_t* bytes = CFDataGetBytePtr(data);   // valid until the release below
//   CFRelease(data);                                     // every copy is released exactly once
//
//   zovo::ErrorOr<std::shared_ptr<const CGImage>> png = zovo::loadPNG("/tmp/icon.png");
//   if (!png) std::cerr << png.error() << '\n';           // names the file and what is wrong
//
// A CGImage is shared and never changes once made, so a reader may keep a pointer to it for as
// long as something (a UIImage, a shared_ptr) keeps it alive. The platform's calls answer a null
// image or null data with zero or null instead of crashing as the platform would.
#pragma once

#include "foundation/ErrorOr.h"
#include "objc/Encoding.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zovo {

// The order of the four bytes of each pixel in memory.
enum class ChannelOrder { RGBA, BGRA };
// Whether the colour bytes are already multiplied by the alpha byte.
enum class AlphaMode { Premultiplied, Straight };

struct PixelFormat {
    ChannelOrder order = ChannelOrder::RGBA;
    AlphaMode alpha = AlphaMode::Straight;
    friend bool operator==(const PixelFormat&, const PixelFormat&) = default;
};

// The largest width or height of a bitmap made in memory.
inline constexpr std::size_t kMaxImageSide = 16384;

} // namespace zovo

struct CGImage;
using CGImageRef = const CGImage*;

// The image's bytes as the platform hands them out: a provider that belongs to the image.
struct CGDataProvider {
    const CGImage* image;
};
using CGDataProviderRef = const CGDataProvider*;

struct CGImage : std::enable_shared_from_this<CGImage> {
private:
    struct Key {
        explicit Key() = default;
    };

public:
    // Every pixel takes four bytes; `bytesPerRow` 0 means width × 4, and a larger value leaves
    // padding at the end of each row. `bytes` must hold exactly bytesPerRow × height bytes.
    // Throws std::invalid_argument naming the problem when the layout does not add up or a side
    // is over kMaxImageSide. Zero width or height makes an image with no pixels.
    static std::shared_ptr<const CGImage> create(std::size_t width, std::size_t height, zovo::PixelFormat format,
                                                 std::vector<std::uint8_t> bytes, std::size_t bytesPerRow = 0);

    std::size_t width() const { return width_; }
    std::size_t height() const { return height_; }
    std::size_t bytesPerRow() const { return bytesPerRow_; }
    zovo::PixelFormat format() const { return format_; }
    const std::vector<std::uint8_t>& bytes() const { return bytes_; }
    const CGDataProvider* provider() const { return &provider_; }

    // The pixel at (x, y) as red, green, blue, alpha in the image's own alpha mode. Preconditions:
    // x < width, y < height.
    std::array<std::uint8_t, 4> rgbaAt(std::size_t x, std::size_t y) const;
    // Writes every pixel as a native-endian 32-bit word 0xAARRGGBB with premultiplied colour
    // (Cairo's ARGB32), rows `destinationBytesPerRow` apart. The destination must hold
    // height rows of at least width × 4 bytes.
    void copyAsPremultipliedARGB32(std::uint8_t* destination, std::size_t destinationBytesPerRow) const;

    // Made only through create(); public so that std::make_shared can reach it, and guarded by a
    // key that only create() can name.
    CGImage(Key, std::size_t width, std::size_t height, zovo::PixelFormat format, std::vector<std::uint8_t> bytes, std::size_t bytesPerRow);
    CGImage(const CGImage&) = delete;
    CGImage& operator=(const CGImage&) = delete;

private:
    std::size_t width_;
    std::size_t height_;
    std::size_t bytesPerRow_;
    zovo::PixelFormat format_;
    std::vector<std::uint8_t> bytes_;
    CGDataProvider provider_{this};
};

namespace objc {
template <> struct TypeEncoding<CGImageRef> { static std::string get() { return "^{CGImage=}"; } };
} // namespace objc

// ---- The platform's bitmap descriptions ------------------------------------------------------

using CGBitmapInfo = std::uint32_t;
enum CGImageAlphaInfo : std::uint32_t {
    kCGImageAlphaNone = 0,
    kCGImageAlphaPremultipliedLast = 1,
    kCGImageAlphaPremultipliedFirst = 2,
    kCGImageAlphaLast = 3,
    kCGImageAlphaFirst = 4,
    kCGImageAlphaNoneSkipLast = 5,
    kCGImageAlphaNoneSkipFirst = 6,
    kCGImageAlphaOnly = 7,
};
inline constexpr CGBitmapInfo kCGBitmapAlphaInfoMask = 0x1F;
inline constexpr CGBitmapInfo kCGBitmapByteOrderMask = 0x7000;
inline constexpr CGBitmapInfo kCGBitmapByteOrderDefault = 0 << 12;
inline constexpr CGBitmapInfo kCGBitmapByteOrder16Little = 1 << 12;
inline constexpr CGBitmapInfo kCGBitmapByteOrder32Little = 2 << 12;
inline constexpr CGBitmapInfo kCGBitmapByteOrder16Big = 3 << 12;
inline constexpr CGBitmapInfo kCGBitmapByteOrder32Big = 4 << 12;

// RGBA bytes are the platform's alpha-last, big-endian words; BGRA bytes are alpha-first words
// stored little-endian.
std::size_t CGImageGetWidth(CGImageRef image);
std::size_t CGImageGetHeight(CGImageRef image);
std::size_t CGImageGetBytesPerRow(CGImageRef image);
std::size_t CGImageGetBitsPerPixel(CGImageRef image);
CGBitmapInfo CGImageGetBitmapInfo(CGImageRef image);
CGImageAlphaInfo CGImageGetAlphaInfo(CGImageRef image);
CGDataProviderRef CGImageGetDataProvider(CGImageRef image);

// ---- CoreFoundation data ----------------------------------------------------------------------

struct __CFData;
using CFDataRef = const __CFData*;
using CFIndex = long;

// The provider's bytes, owned by the caller, who releases it with CFRelease. As on the platform,
// the data of an immutable image is not copied: it shares the image's bytes and keeps them alive.
CFDataRef CGDataProviderCopyData(CGDataProviderRef provider);
const std::uint8_t* CFDataGetBytePtr(CFDataRef data);
CFIndex CFDataGetLength(CFDataRef data);
// Ends a copy made by CGDataProviderCopyData. Releasing one copy twice is undefined, as on the
// platform.
void CFRelease(CFDataRef data);

namespace zovo {

// How many data objects made by CGDataProviderCopyData are alive in the program: a leak check
// for its callers.
long liveDataCopies();

// ---- PNG files ----------------------------------------------------------------------------------
//
// Files are untrusted. A file is checked in this order: it exists and is a readable regular
// file no larger than kMaxPNGFileBytes, it starts with the PNG signature, its header chunk is
// well-formed and names at most kMaxPNGSide pixels each way (checked before any pixel memory is
// allocated), and its image data decodes. Decoded images are BGRA with premultiplied alpha, the
// layout the platform decodes app icons to.

inline constexpr std::size_t kMaxPNGSide = 4096;
inline constexpr std::uintmax_t kMaxPNGFileBytes = std::uintmax_t{256} << 20;

// Errors name the file and say what is wrong: missing, unreadable, not a PNG, too large, or
// corrupt (a header or image data damaged or cut short).
ErrorOr<std::shared_ptr<const CGImage>> loadPNG(const std::filesystem::path& hostPath);
// Decodes bytes already in memory; `name` stands for the source in messages.
ErrorOr<std::shared_ptr<const CGImage>> decodePNG(std::span<const std::uint8_t> bytes, std::string_view name = "PNG data");

// Straight colours are premultiplied on the way out, so a translucent pixel of a straight image
// may come back one step off; opaque and fully transparent pixels come back exactly. An image
// with no pixels cannot be written.
ErrorOr<void> encodePNG(CGImageRef image, std::vector<std::uint8_t>& out);
ErrorOr<void> writePNG(CGImageRef image, const std::filesystem::path& hostPath);
// Writes bytes already encoded (an `encoded` result that failed is passed through, its message
// prefixed with the path); a file that cannot be written is named.
ErrorOr<void> writeEncodedFile(const ErrorOr<void>& encoded, std::span<const std::uint8_t> bytes, const std::filesystem::path& hostPath);

} // namespace zovo
