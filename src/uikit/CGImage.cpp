#include "uikit/CGImage.h"

#include <cairo.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstring>
#include <fstream>
#include <initializer_list>
#include <stdexcept>
#include <system_error>

static_assert(std::endian::native == std::endian::little,
              "Cairo's ARGB32 words are stored as B, G, R, A bytes only on a little-endian host");

// ---- CGImage --------------------------------------------------------------------------------------

std::shared_ptr<const CGImage> CGImage::create(std::size_t width, std::size_t height, zovo::PixelFormat format,
                                               std::vector<std::uint8_t> bytes, std::size_t bytesPerRow)
{
    // Callers make bitmaps from sizes they have checked (a PNG header against kMaxPNGSide, a device's
    // screen), so a layout that does not add up is a broken caller and throws; files are checked, and
    // refused with an error, before they get here.
    if (width > zovo::kMaxImageSide || height > zovo::kMaxImageSide)
        throw std::invalid_argument("CGImage: " + std::to_string(width) + " x " + std::to_string(height) + " pixels is over the limit of " +
                                    std::to_string(zovo::kMaxImageSide) + " a side");
    if (bytesPerRow == 0) bytesPerRow = width * 4;
    if (bytesPerRow < width * 4)
        throw std::invalid_argument("CGImage: " + std::to_string(bytesPerRow) + " bytes per row cannot hold " + std::to_string(width) +
                                    " pixels of 4 bytes");
    // Both factors are at most a few tens of thousands once the checks above have passed, unless
    // bytesPerRow is absurd; compare by division so that an absurd one cannot wrap.
    if (height != 0 && (bytesPerRow > bytes.size() / height || bytesPerRow * height != bytes.size()))
        throw std::invalid_argument("CGImage: " + std::to_string(bytes.size()) + " bytes given where " + std::to_string(height) + " rows of " +
                                    std::to_string(bytesPerRow) + " bytes were expected");
    if (height == 0 && !bytes.empty())
        throw std::invalid_argument("CGImage: bytes given for an image with no rows");
    return std::make_shared<const CGImage>(Key{}, width, height, format, std::move(bytes), bytesPerRow);
}

CGImage::CGImage(Key, std::size_t width, std::size_t height, zovo::PixelFormat format, std::vector<std::uint8_t> bytes, std::size_t bytesPerRow)
    : width_(width), height_(height), bytesPerRow_(bytesPerRow), format_(format), bytes_(std::move(bytes))
{
}

std::array<std::uint8_t, 4> CGImage::rgbaAt(std::size_t x, std::size_t y) const
{
    const std::uint8_t* p = bytes_.data() + y * bytesPerRow_ + x * 4;
    if (format_.order == zovo::ChannelOrder::RGBA) return {p[0], p[1], p[2], p[3]};
    return {p[2], p[1], p[0], p[3]};
}

namespace {
// c × a / 255, rounded to nearest, without a division.
std::uint32_t multiplyByAlpha(std::uint32_t c, std::uint32_t a)
{
    std::uint32_t t = c * a + 128;
    return (t + (t >> 8)) >> 8;
}
} // namespace

void CGImage::copyAsPremultipliedARGB32(std::uint8_t* destination, std::size_t destinationBytesPerRow) const
{
    const bool straight = format_.alpha == zovo::AlphaMode::Straight;
    for (std::size_t y = 0; y < height_; ++y) {
        auto* row = destination + y * destinationBytesPerRow;
        for (std::size_t x = 0; x < width_; ++x) {
            auto [r, g, b, a] = rgbaAt(x, y);
            std::uint32_t R = r, G = g, B = b;
            if (straight) {
                R = multiplyByAlpha(R, a);
                G = multiplyByAlpha(G, a);
                B = multiplyByAlpha(B, a);
            }
            std::uint32_t word = std::uint32_t{a} << 24 | R << 16 | G << 8 | B;
            std::memcpy(row + x * 4, &word, 4);
        }
    }
}

// ---- The platform's bitmap calls --------------------------------------------------------------

std::size_t CGImageGetWidth(CGImageRef image) { return image ? image->width() : 0; }
std::size_t CGImageGetHeight(CGImageRef image) { return image ? image->height() : 0; }
std::size_t CGImageGetBytesPerRow(CGImageRef image) { return image ? image->bytesPerRow() : 0; }
std::size_t CGImageGetBitsPerPixel(CGImageRef image) { return image ? 32 : 0; }

CGImageAlphaInfo CGImageGetAlphaInfo(CGImageRef image)
{
    if (!image) return kCGImageAlphaNone;
    const bool premultiplied = image->format().alpha == zovo::AlphaMode::Premultiplied;
    if (image->format().order == zovo::ChannelOrder::RGBA) return premultiplied ? kCGImageAlphaPremultipliedLast : kCGImageAlphaLast;
    return premultiplied ? kCGImageAlphaPremultipliedFirst : kCGImageAlphaFirst;
}

CGBitmapInfo CGImageGetBitmapInfo(CGImageRef image)
{
    if (!image) return 0;
    CGBitmapInfo order = image->format().order == zovo::ChannelOrder::RGBA ? kCGBitmapByteOrder32Big : kCGBitmapByteOrder32Little;
    return order | CGImageGetAlphaInfo(image);
}

CGDataProviderRef CGImageGetDataProvider(CGImageRef image) { return image ? image->provider() : nullptr; }

// ---- CoreFoundation data ----------------------------------------------------------------------

struct __CFData {
    // The image whose bytes these are, kept alive for as long as the data is.
    std::shared_ptr<const CGImage> owner;
};

namespace {
std::atomic<long> liveCopies{0};
} // namespace

CFDataRef CGDataProviderCopyData(CGDataProviderRef provider)
{
    if (!provider || !provider->image) return nullptr;
    auto copy = std::make_unique<__CFData>(__CFData{provider->image->shared_from_this()});
    liveCopies.fetch_add(1, std::memory_order_relaxed);
    return copy.release();
}

const std::uint8_t* CFDataGetBytePtr(CFDataRef data) { return data ? data->owner->bytes().data() : nullptr; }
CFIndex CFDataGetLength(CFDataRef data) { return data ? static_cast<CFIndex>(data->owner->bytes().size()) : 0; }

void CFRelease(CFDataRef data)
{
    if (!data) return;
    // Owned since CGDataProviderCopyData handed it out.
    std::unique_ptr<const __CFData> owned(data);
    liveCopies.fetch_sub(1, std::memory_order_relaxed);
}

namespace zovo {

long liveDataCopies() { return liveCopies.load(std::memory_order_relaxed); }

// ---- PNG ------------------------------------------------------------------------------------------

namespace {

Error fail(std::string_view name, std::string_view reason) { return Error{std::string(name) + ": " + std::string(reason)}; }

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

std::uint32_t bigEndian32(const std::uint8_t* p)
{
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

struct Reader {
    std::span<const std::uint8_t> bytes;
    std::size_t offset = 0;
};

cairo_status_t readFromSpan(void* closure, unsigned char* data, unsigned int length)
{
    auto* reader = static_cast<Reader*>(closure);
    if (length > reader->bytes.size() - reader->offset) return CAIRO_STATUS_READ_ERROR;
    std::memcpy(data, reader->bytes.data() + reader->offset, length);
    reader->offset += length;
    return CAIRO_STATUS_SUCCESS;
}

cairo_status_t appendToVector(void* closure, const unsigned char* data, unsigned int length)
{
    auto* out = static_cast<std::vector<std::uint8_t>*>(closure);
    out->insert(out->end(), data, data + length);
    return CAIRO_STATUS_SUCCESS;
}

using SurfacePtr = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;

// Walks the chunks from the header to IEND and checks each one's length and CRC, so that a damaged
// or cut-short file is reported for what it is. The decoder underneath reports every such fault as
// running out of memory. The error says what is wrong with the first chunk that is not whole.
ErrorOr<void> checkChunks(std::span<const std::uint8_t> bytes)
{
    std::size_t offset = sizeof kSignature;
    while (true) {
        if (bytes.size() - offset < 8)
            return Error{"cut short at byte " + std::to_string(bytes.size()) + ", before its closing IEND chunk"};
        const std::uint8_t* chunk = bytes.data() + offset;
        const std::uint32_t length = bigEndian32(chunk);
        const std::string type(reinterpret_cast<const char*>(chunk + 4), 4);
        const auto isLetter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
        if (!std::all_of(type.begin(), type.end(), isLetter))
            return Error{"the chunk at byte " + std::to_string(offset) + " has no valid chunk type"};
        const std::string where = "the " + type + " chunk at byte " + std::to_string(offset);
        if (length > 0x7FFFFFFFu) return Error{where + " gives an impossible length of " + std::to_string(length)};
        if (bytes.size() - offset - 8 < std::size_t{length} + 4) return Error{"cut short inside " + where};
        const std::uint32_t stored = bigEndian32(chunk + 8 + length);
        const auto computed = static_cast<std::uint32_t>(crc32(0, chunk + 4, length + 4));
        if (stored != computed) return Error{where + " fails its CRC check (the file is damaged)"};
        offset += std::size_t{length} + 12;
        if (type == "IEND") return {};
    }
}

// The header's fields after width and height: bit depth, colour type, compression, filter and
// interlace method. The decoder refuses a combination the format does not define without saying
// which; this names the field.
ErrorOr<void> checkHeaderFields(const std::uint8_t* fields)
{
    const unsigned depth = fields[0], colourType = fields[1];
    struct Type {
        unsigned code;
        const char* name;
        std::initializer_list<unsigned> depths;
    };
    static const Type kTypes[] = {
        {0, "greyscale", {1, 2, 4, 8, 16}}, {2, "truecolour", {8, 16}}, {3, "indexed-colour", {1, 2, 4, 8}},
        {4, "greyscale with alpha", {8, 16}}, {6, "truecolour with alpha", {8, 16}},
    };
    const Type* type = nullptr;
    for (const Type& t : kTypes)
        if (t.code == colourType) type = &t;
    if (!type) return Error{"the header gives colour type " + std::to_string(colourType) + ", which PNG does not define"};
    if (std::find(type->depths.begin(), type->depths.end(), depth) == type->depths.end())
        return Error{"the header gives a bit depth of " + std::to_string(depth) + ", which colour type " + std::to_string(colourType) + " (" +
                     type->name + ") does not allow"};
    if (fields[2] != 0) return Error{"the header gives compression method " + std::to_string(fields[2]) + ", which PNG does not define"};
    if (fields[3] != 0) return Error{"the header gives filter method " + std::to_string(fields[3]) + ", which PNG does not define"};
    if (fields[4] > 1) return Error{"the header gives interlace method " + std::to_string(fields[4]) + ", which PNG does not define"};
    return {};
}

} // namespace

ErrorOr<std::shared_ptr<const CGImage>> decodePNG(std::span<const std::uint8_t> bytes, std::string_view name)
{
    if (bytes.empty()) return fail(name, "empty, not a PNG file");
    if (bytes.size() < sizeof kSignature || std::memcmp(bytes.data(), kSignature, sizeof kSignature) != 0)
        return fail(name, "not a PNG file (no PNG signature)");

    // The header chunk must come first: length 13, type IHDR, then width and height. Checking
    // the size here keeps a hostile header from making the decoder allocate gigabytes.
    constexpr std::size_t kHeaderEnd = 8 + 8 + 13 + 4;
    if (bytes.size() < kHeaderEnd) return fail(name, "corrupt PNG: cut short inside its header");
    const std::uint8_t* chunk = bytes.data() + 8;
    if (bigEndian32(chunk) != 13 || std::memcmp(chunk + 4, "IHDR", 4) != 0)
        return fail(name, "corrupt PNG: it does not start with a well-formed IHDR header chunk");
    const std::uint32_t width = bigEndian32(chunk + 8);
    const std::uint32_t height = bigEndian32(chunk + 12);
    if (width == 0 || height == 0 || width > 0x7FFFFFFFu || height > 0x7FFFFFFFu)
        return fail(name, "corrupt PNG: the header gives an impossible size of " + std::to_string(width) + " x " +
                                                   std::to_string(height) + " pixels");
    if (width > kMaxPNGSide || height > kMaxPNGSide)
        return fail(name, "too large: " + std::to_string(width) + " x " + std::to_string(height) +
                                                    " pixels is over the limit of " + std::to_string(kMaxPNGSide) + " x " +
                                                    std::to_string(kMaxPNGSide));

    if (ErrorOr<void> header = checkHeaderFields(chunk + 16); !header) return fail(name, "corrupt PNG: " + header.error());
    if (ErrorOr<void> whole = checkChunks(bytes); !whole) return fail(name, "corrupt PNG: " + whole.error());

    Reader reader{bytes};
    SurfacePtr surface(cairo_image_surface_create_from_png_stream(readFromSpan, &reader), cairo_surface_destroy);
    cairo_status_t status = cairo_surface_status(surface.get());
    if (status != CAIRO_STATUS_SUCCESS) {
        // The chunks are whole, so what failed is inside them: compressed image data that does not
        // inflate to the header's size, or a header the decoder refuses. The decoder reports either
        // as running out of memory, which the size limits above rule out.
        std::string reason = status == CAIRO_STATUS_READ_ERROR || status == CAIRO_STATUS_NO_MEMORY
                                 ? "the image data does not decode (damaged, or too short for the header's size)"
                                 : cairo_status_to_string(status);
        return fail(name, "corrupt PNG: " + reason);
    }
    const cairo_format_t format = cairo_image_surface_get_format(surface.get());
    if (format != CAIRO_FORMAT_ARGB32 && format != CAIRO_FORMAT_RGB24)
        return fail(name, "corrupt PNG: a pixel layout that cannot be decoded to 8-bit colour");
    // The decoder must agree with the header just checked; a disagreement means a damaged file.
    const auto w = static_cast<std::size_t>(cairo_image_surface_get_width(surface.get()));
    const auto h = static_cast<std::size_t>(cairo_image_surface_get_height(surface.get()));
    if (w != width || h != height) return fail(name, "corrupt PNG: the decoded size differs from the header");

    cairo_surface_flush(surface.get());
    const std::uint8_t* data = cairo_image_surface_get_data(surface.get());
    const auto stride = static_cast<std::size_t>(cairo_image_surface_get_stride(surface.get()));
    if (!data) return fail(name, "corrupt PNG: no pixel data");
    std::vector<std::uint8_t> pixels(w * h * 4);
    for (std::size_t y = 0; y < h; ++y) std::memcpy(pixels.data() + y * w * 4, data + y * stride, w * 4);
    // Opaque images leave the fourth byte unspecified; it stands for full coverage.
    if (format == CAIRO_FORMAT_RGB24)
        for (std::size_t i = 3; i < pixels.size(); i += 4) pixels[i] = 255;

    return CGImage::create(w, h, {ChannelOrder::BGRA, AlphaMode::Premultiplied}, std::move(pixels));
}

ErrorOr<std::shared_ptr<const CGImage>> loadPNG(const std::filesystem::path& hostPath)
{
    const std::string name = hostPath.string();
    std::error_code error;
    auto status = std::filesystem::status(hostPath, error);
    if (status.type() == std::filesystem::file_type::not_found) return fail(name, "no such file");
    if (error) return fail(name, error.message());
    if (status.type() != std::filesystem::file_type::regular) return fail(name, "not a regular file");
    const std::uintmax_t size = std::filesystem::file_size(hostPath, error);
    if (error) return fail(name, error.message());
    if (size > kMaxPNGFileBytes)
        return fail(name, "too large: the file is over " + std::to_string(kMaxPNGFileBytes) + " bytes");

    std::ifstream in(hostPath, std::ios::binary);
    if (!in) return fail(name, "cannot be opened for reading");
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (in.bad()) return fail(name, "read error");
    // A file that shrank while being read is judged on what was read.
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return decodePNG(bytes, name);
}

ErrorOr<void> encodePNG(CGImageRef image, std::vector<std::uint8_t>& out)
{
    if (!image) return Error{"no image to write"};
    if (image->width() == 0 || image->height() == 0) return Error{"an image with no pixels cannot be written as PNG"};
    SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(image->width()), static_cast<int>(image->height())),
                       cairo_surface_destroy);
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS)
        return Error{std::string("cannot make a surface to encode from: ") + cairo_status_to_string(cairo_surface_status(surface.get()))};
    cairo_surface_flush(surface.get());
    image->copyAsPremultipliedARGB32(cairo_image_surface_get_data(surface.get()),
                                     static_cast<std::size_t>(cairo_image_surface_get_stride(surface.get())));
    cairo_surface_mark_dirty(surface.get());
    std::vector<std::uint8_t> encoded;
    cairo_status_t status = cairo_surface_write_to_png_stream(surface.get(), appendToVector, &encoded);
    if (status != CAIRO_STATUS_SUCCESS) return Error{std::string("PNG encoding failed: ") + cairo_status_to_string(status)};
    out = std::move(encoded);
    return {};
}

ErrorOr<void> writeEncodedFile(const ErrorOr<void>& encoded, std::span<const std::uint8_t> bytes, const std::filesystem::path& hostPath)
{
    if (!encoded) return Error{hostPath.string() + ": " + encoded.error()};
    std::ofstream out(hostPath, std::ios::binary | std::ios::trunc);
    if (out) out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (out) out.flush();
    if (!out) return Error{hostPath.string() + ": cannot be written"};
    return {};
}

ErrorOr<void> writePNG(CGImageRef image, const std::filesystem::path& hostPath)
{
    std::vector<std::uint8_t> encoded;
    const ErrorOr<void> result = encodePNG(image, encoded);
    return writeEncodedFile(result, encoded, hostPath);
}

} // namespace zovo
