#include "sim/ReferenceImage.h"

#include "uikit/CGImage.h"

#include <png.h>
#include <zlib.h>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <fstream>
#include <span>
#include <vector>

namespace zovo {
namespace {

namespace fs = std::filesystem;

// The largest YIQ difference of any two colours with the weights below: the normalising constant.
constexpr double kLargestYIQDelta = 35215.0;

// A colour from premultiplied bytes, laid over white.
struct OverWhite {
    double r, g, b;
};

OverWhite overWhite(const std::uint8_t* bgra)
{
    const double cover = 255.0 - bgra[3];
    return {bgra[2] + cover, bgra[1] + cover, bgra[0] + cover};
}

double yiqDistance(OverWhite a, OverWhite b)
{
    const double dr = a.r - b.r, dg = a.g - b.g, db = a.b - b.b;
    const double y = 0.29889531 * dr + 0.58662247 * dg + 0.11448223 * db;
    const double i = 0.59597799 * dr - 0.27417610 * dg - 0.32180189 * db;
    const double q = 0.21147017 * dr - 0.52261711 * dg + 0.31114694 * db;
    const double delta = 0.5053 * y * y + 0.299 * i * i + 0.1957 * q * q;
    return std::min(1.0, std::sqrt(delta / kLargestYIQDelta));
}

// A fast non-cryptographic hash, after the accumulate step of XXH3: 128-byte blocks, each 8-byte
// word j of block b folded into its own accumulator as acc[j] += lo32(k) * hi32(k) + w[j ^ 1],
// where k = w[j] ^ (key + b * prime). A changed word moves two accumulators, and the block's
// number in the key makes a block that moved count as a change. The accumulators and the length
// are mixed at the end. A screenful hashes at close to memory speed, which keeps a check of an
// unchanged screen near the cost of drawing it. It finds changes; it does not resist forgery. The
// scalar, SSE2, AVX2 and AVX-512 paths give the same hash, so a reference written on one machine
// vouches on another.
class Hasher {
public:
    static constexpr std::size_t kBlock = 128;

    // Feeds all the bytes at once (a last partial block is padded with zeros).
    explicit Hasher(std::span<const std::uint8_t> bytes)
    {
        const std::size_t whole = bytes.size() / kBlock * kBlock;
        accumulate(bytes.data(), whole, 0);
        if (whole < bytes.size()) {
            std::uint8_t last[kBlock] = {};
            std::memcpy(last, bytes.data() + whole, bytes.size() - whole);
            accumulate(last, kBlock, whole / kBlock);
        }
        length_ = bytes.size();
    }

    std::uint64_t finish() const
    {
        std::uint64_t h = length_ * kPrime1;
        for (std::uint64_t lane : acc_) {
            h ^= lane * kPrime2;
            h = std::rotl(h, 27) * kPrime1 + kPrime2;
        }
        h ^= h >> 33;
        h *= kPrime2;
        return h ^ (h >> 29);
    }

private:
    static constexpr std::uint64_t kPrime1 = 0x9E3779B185EBCA87ull, kPrime2 = 0xC2B2AE3D27D4EB4Full, kKey = 0x165667B19E3779F9ull;
    static constexpr std::uint64_t blockKey(std::size_t block) { return kKey + block * kPrime1; }

    void accumulate(const std::uint8_t* p, std::size_t n, std::size_t firstBlock)
    {
#if defined(__x86_64__)
        static const int kernel = __builtin_cpu_supports("avx512f") ? 2 : __builtin_cpu_supports("avx2") ? 1 : 0;
        if (kernel == 2) return accumulateAVX512(p, n, firstBlock);
        if (kernel == 1) return accumulateAVX2(p, n, firstBlock);
        return accumulateSSE2(p, n, firstBlock);
#else
        for (std::size_t i = 0; i < n; i += kBlock) {
            const std::uint64_t key = blockKey(firstBlock + i / kBlock);
            std::uint64_t w[16];
            std::memcpy(w, p + i, kBlock);
            for (int j = 0; j < 16; ++j) {
                const std::uint64_t k = w[j] ^ key;
                acc_[j] += (k & 0xFFFFFFFFu) * (k >> 32) + w[j ^ 1];
            }
        }
#endif
    }

#if defined(__x86_64__)
    void accumulateSSE2(const std::uint8_t* p, std::size_t n, std::size_t block)
    {
        __m128i acc[8];
        std::memcpy(acc, acc_, sizeof acc);
        for (std::size_t i = 0; i < n; i += kBlock, ++block) {
            const __m128i key = _mm_set1_epi64x(static_cast<long long>(blockKey(block)));
            for (int l = 0; l < 8; ++l) {
                const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 16 * l));
                const __m128i k = _mm_xor_si128(d, key);
                acc[l] = _mm_add_epi64(acc[l], _mm_add_epi64(_mm_mul_epu32(k, _mm_srli_epi64(k, 32)), _mm_shuffle_epi32(d, 0x4E)));
            }
        }
        std::memcpy(acc_, acc, sizeof acc);
    }

    [[gnu::target("avx2")]] void accumulateAVX2(const std::uint8_t* p, std::size_t n, std::size_t block)
    {
        __m256i acc[4];
        std::memcpy(acc, acc_, sizeof acc);
        for (std::size_t i = 0; i < n; i += kBlock, ++block) {
            const __m256i key = _mm256_set1_epi64x(static_cast<long long>(blockKey(block)));
            for (int l = 0; l < 4; ++l) {
                const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i + 32 * l));
                const __m256i k = _mm256_xor_si256(d, key);
                acc[l] = _mm256_add_epi64(acc[l], _mm256_add_epi64(_mm256_mul_epu32(k, _mm256_srli_epi64(k, 32)), _mm256_shuffle_epi32(d, 0x4E)));
            }
        }
        std::memcpy(acc_, acc, sizeof acc);
    }

// GCC 12's AVX-512 headers start their results from an undefined vector and warn about it.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
    [[gnu::target("avx512f")]] void accumulateAVX512(const std::uint8_t* p, std::size_t n, std::size_t block)
    {
        __m512i acc[2];
        std::memcpy(acc, acc_, sizeof acc);
        for (std::size_t i = 0; i < n; i += kBlock, ++block) {
            const __m512i key = _mm512_set1_epi64(static_cast<long long>(blockKey(block)));
            for (int l = 0; l < 2; ++l) {
                const __m512i d = _mm512_loadu_si512(p + i + 64 * l);
                const __m512i k = _mm512_xor_si512(d, key);
                acc[l] = _mm512_add_epi64(acc[l], _mm512_add_epi64(_mm512_mul_epu32(k, _mm512_srli_epi64(k, 32)), _mm512_shuffle_epi32(d, _MM_PERM_BADC)));
            }
        }
        std::memcpy(acc_, acc, sizeof acc);
    }
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
#endif

    alignas(64) std::uint64_t acc_[16] = {kPrime1, kPrime2, kKey, ~kPrime1, ~kPrime2, ~kKey, 1, 2, 3, 5, 8, 13, 21, 34, 55, 89};
    std::uint64_t length_ = 0;
};

// The private chunk: pixel hash, compressed-data hash, width, height, all big-endian.
constexpr char kChunkType[] = "zvPX";
constexpr std::size_t kChunkLength = 24;

void putBig(std::vector<std::uint8_t>& out, std::uint64_t value, int bytes)
{
    for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

std::uint64_t getBig(const std::uint8_t* p, int bytes)
{
    std::uint64_t value = 0;
    for (int i = 0; i < bytes; ++i) value = value << 8 | p[i];
    return value;
}

struct Chunks {
    std::uint32_t width = 0, height = 0;
    std::uint64_t dataHash = 0;
    std::size_t iendOffset = 0;
    const std::uint8_t* stamp = nullptr; // the zvPX chunk's data, when there is one
};

// Walks a PNG's chunks; false for anything that is not a whole PNG.
bool readChunks(std::span<const std::uint8_t> png, Chunks& out)
{
    static const std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (png.size() < 8 || std::memcmp(png.data(), signature, 8) != 0) return false;
    // The compressed image data, hashed whole at the end. Kept from call to call: a reference is
    // over the size that malloc hands to mmap, and a fresh mapping a snapshot costs page faults.
    thread_local std::vector<std::uint8_t> data;
    data.clear();
    for (std::size_t offset = 8; offset + 12 <= png.size();) {
        const std::uint64_t length = getBig(png.data() + offset, 4);
        if (length > png.size() - offset - 12) return false;
        const std::uint8_t* type = png.data() + offset + 4;
        const std::uint8_t* body = type + 4;
        if (std::memcmp(type, "IHDR", 4) == 0 && length == 13) {
            out.width = static_cast<std::uint32_t>(getBig(body, 4));
            out.height = static_cast<std::uint32_t>(getBig(body + 4, 4));
        } else if (std::memcmp(type, "IDAT", 4) == 0) {
            data.insert(data.end(), body, body + length);
        } else if (std::memcmp(type, kChunkType, 4) == 0 && length == kChunkLength) {
            out.stamp = body;
        } else if (std::memcmp(type, "IEND", 4) == 0) {
            out.iendOffset = offset;
            out.dataHash = Hasher(data).finish();
            return true;
        }
        offset += static_cast<std::size_t>(length) + 12;
    }
    return false;
}

bool isOpaque(const Frame& frame)
{
    for (int y = 0; y < frame.height(); ++y) {
        const std::uint8_t* row = frame.data() + static_cast<std::size_t>(y) * frame.stride();
        for (int x = 0; x < frame.width(); ++x)
            if (row[x * 4 + 3] != 255) return false;
    }
    return true;
}

void appendBytes(png_structp png, png_bytep data, png_size_t length)
{
    auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void flushNothing(png_structp) {}

// Rows as PNG wants them: R, G, B for an opaque frame, else straight R, G, B, A.
void pngRow(const std::uint8_t* in, std::uint8_t* out, int width, bool opaque)
{
    for (int x = 0; x < width; ++x, in += 4) {
        const unsigned alpha = in[3];
        for (int c = 0; c < 3; ++c) {
            const unsigned v = in[2 - c];
            *out++ = static_cast<std::uint8_t>(alpha == 255 ? v : alpha == 0 ? 0 : (v * 255u + alpha / 2) / alpha);
        }
        if (!opaque) *out++ = static_cast<std::uint8_t>(alpha);
    }
}

// libpng reports errors by jumping out; the vectors here outlive the jump and own their memory.
bool encodeSmall(const Frame& frame, std::vector<std::uint8_t>& out)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    const bool opaque = isOpaque(frame);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(frame.width()) * 4);
    bool done = false;
    if (!setjmp(png_jmpbuf(png))) {
        png_set_write_fn(png, &out, appendBytes, flushNothing);
        png_set_IHDR(png, info, static_cast<png_uint_32>(frame.width()), static_cast<png_uint_32>(frame.height()), 8,
                     opaque ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                     PNG_FILTER_TYPE_DEFAULT);
        png_set_compression_level(png, Z_BEST_COMPRESSION);
        png_write_info(png, info);
        for (int y = 0; y < frame.height(); ++y) {
            pngRow(frame.data() + static_cast<std::size_t>(y) * frame.stride(), row.data(), frame.width(), opaque);
            png_write_row(png, row.data());
        }
        png_write_end(png, info);
        done = true;
    }
    png_destroy_write_struct(&png, &info);
    return done;
}

} // namespace

double colourDistance(RGBA8 a, RGBA8 b)
{
    auto premultiplied = [](RGBA8 c) {
        auto mul = [&](std::uint8_t v) { return static_cast<std::uint8_t>((v * c.alpha + 127) / 255); };
        return std::array<std::uint8_t, 4>{mul(c.blue), mul(c.green), mul(c.red), c.alpha};
    };
    return yiqDistance(overWhite(premultiplied(a).data()), overWhite(premultiplied(b).data()));
}

PixelDifference compareFrames(const Frame& expected, const Frame& actual, double threshold, Frame* diff)
{
    if (expected.width() != actual.width() || expected.height() != actual.height())
        throw std::invalid_argument("compareFrames: the frames differ in size");
    if (diff) diff->reset(expected.width(), expected.height(), expected.scale());
    PixelDifference result;
    for (int y = 0; y < expected.height(); ++y) {
        const std::uint8_t* e = expected.data() + static_cast<std::size_t>(y) * expected.stride();
        const std::uint8_t* a = actual.data() + static_cast<std::size_t>(y) * actual.stride();
        std::uint8_t* d = diff ? diff->data() + static_cast<std::size_t>(y) * diff->stride() : nullptr;
        // Most rows are identical: skip them whole unless a picture is wanted.
        if (!d && std::memcmp(e, a, static_cast<std::size_t>(expected.width()) * 4) == 0) continue;
        for (int x = 0; x < expected.width(); ++x, e += 4, a += 4) {
            double distance = 0;
            const bool same = std::memcmp(e, a, 4) == 0;
            if (!same) {
                distance = yiqDistance(overWhite(e), overWhite(a));
                result.largest = std::max(result.largest, distance);
                if (distance > threshold) ++result.differing;
            }
            if (!d) continue;
            std::uint8_t* out = d + x * 4;
            if (same) {
                // The expected picture faded to a pale grey, so the marks stand out over it.
                const OverWhite c = overWhite(e);
                const double luma = 0.299 * c.r + 0.587 * c.g + 0.114 * c.b;
                const auto grey = static_cast<std::uint8_t>(std::lround(255.0 - (255.0 - luma) * 0.2));
                out[0] = out[1] = out[2] = grey;
            } else if (distance > threshold) {
                out[0] = 0x30, out[1] = 0x30, out[2] = 0xE0; // red
            } else {
                out[0] = 0x00, out[1] = 0xC8, out[2] = 0xF0; // yellow: changed, within the tolerance
            }
            out[3] = 255;
        }
    }
    return result;
}

std::uint64_t pixelHash(const Frame& frame)
{
    // The pixels' bytes row after row, without padding, and the size.
    const auto rowBytes = static_cast<std::size_t>(frame.width()) * 4;
    std::vector<std::uint8_t> packed;
    if (frame.stride() != rowBytes) {
        packed.resize(rowBytes * static_cast<std::size_t>(frame.height()));
        for (int y = 0; y < frame.height(); ++y)
            std::memcpy(packed.data() + rowBytes * static_cast<std::size_t>(y), frame.data() + static_cast<std::size_t>(y) * frame.stride(), rowBytes);
    }
    const Hasher h(packed.empty() ? std::span<const std::uint8_t>(frame.data(), rowBytes * static_cast<std::size_t>(frame.height())) : std::span<const std::uint8_t>(packed));
    return h.finish() ^ (static_cast<std::uint64_t>(frame.width()) << 32 | static_cast<std::uint32_t>(frame.height())) * 0x9E3779B185EBCA87ull;
}

ErrorOr<void> writeReferencePNG(const Frame& frame, const fs::path& file)
{
    if (frame.empty()) return Error{file.string() + ": the screen has no pixels to write"};
    std::vector<std::uint8_t> png;
    if (!encodeSmall(frame, png)) return Error{file.string() + ": the PNG encoder failed"};
    Chunks chunks;
    if (!readChunks(png, chunks)) return Error{file.string() + ": the PNG encoder wrote a damaged file"};

    std::vector<std::uint8_t> stamp;
    putBig(stamp, kChunkLength, 4);
    stamp.insert(stamp.end(), kChunkType, kChunkType + 4);
    putBig(stamp, pixelHash(frame), 8);
    putBig(stamp, chunks.dataHash, 8);
    putBig(stamp, static_cast<std::uint64_t>(frame.width()), 4);
    putBig(stamp, static_cast<std::uint64_t>(frame.height()), 4);
    putBig(stamp, crc32(0, stamp.data() + 4, static_cast<uInt>(kChunkLength + 4)), 4);
    png.insert(png.begin() + static_cast<std::ptrdiff_t>(chunks.iendOffset), stamp.begin(), stamp.end());

    std::error_code ec;
    if (file.has_parent_path()) fs::create_directories(file.parent_path(), ec);
    // Written beside the file and renamed over it, so an interrupted write never leaves half a
    // reference behind.
    const fs::path partial = file.string() + ".partial";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
        if (!out.flush()) {
            fs::remove(partial, ec);
            return Error{file.string() + ": cannot be written"};
        }
    }
    fs::rename(partial, file, ec);
    if (ec) {
        fs::remove(partial, ec);
        return Error{file.string() + ": cannot be written (" + ec.message() + ")"};
    }
    return {};
}

ErrorOr<Frame> loadReferencePNG(const fs::path& file, double scale)
{
    const std::shared_ptr<const CGImage> image = TRY(loadPNG(file));
    const CGImage& pixels = *image;
    Frame frame(static_cast<int>(pixels.width()), static_cast<int>(pixels.height()), scale);
    for (std::size_t y = 0; y < pixels.height(); ++y)
        std::memcpy(frame.data() + y * frame.stride(), pixels.bytes().data() + y * pixels.bytesPerRow(), pixels.width() * 4);
    return frame;
}

bool referenceVouchesFor(const fs::path& file, const Frame& frame)
{
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(file, ec);
    if (ec || size > kMaxPNGFileBytes) return false;
    std::ifstream in(file, std::ios::binary);
    thread_local std::vector<std::uint8_t> bytes; // kept from call to call, as in readChunks
    bytes.resize(static_cast<std::size_t>(size));
    if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()))) return false;
    Chunks chunks;
    if (!readChunks(bytes, chunks) || !chunks.stamp) return false;
    const std::uint8_t* s = chunks.stamp;
    return getBig(s + 16, 4) == static_cast<std::uint64_t>(frame.width()) && getBig(s + 20, 4) == static_cast<std::uint64_t>(frame.height()) &&
           chunks.width == static_cast<std::uint32_t>(frame.width()) && chunks.height == static_cast<std::uint32_t>(frame.height()) &&
           getBig(s + 8, 8) == chunks.dataHash && getBig(s, 8) == pixelHash(frame);
}

} // namespace zovo
