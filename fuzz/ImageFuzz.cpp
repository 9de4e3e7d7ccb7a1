// Feeds arbitrary bytes to the PNG decoder. Whatever the bytes, it must answer with an image or
// an error: no crash, no sanitizer report, no allocation beyond the size limit. A decoded image
// must be whole and must survive being written and read back.
//
//   cmake --preset fuzz && cmake --build --preset fuzz --target fuzz_image
//   build-fuzz/bin/fuzz_image -dict=fuzz/image.dict corpus/ fuzz/corpus/image/
//
// Images are decoded only up to kMaxFuzzPixels. A 22 KB input can declare 4096 x 4096 grey pixels
// that inflate from a run of zeros; decoding it, checking every pixel and round-tripping it makes
// five 64 MiB buffers, three alive at once, and takes seconds, and AddressSanitizer's quarantine
// holds up to 256 MiB more of the freed ones: one such input peaks at about 450 MB resident (235 MB with
// the quarantine off). libFuzzer checks its memory limit against the process's peak resident
// size once a second, so when a few of these add up past the limit the input it reports is
// whichever one is running a moment later, often an empty one. Larger images take the very same
// decoding path, so nothing is lost by leaving them out; headers over the decoder's own limit are
// still fed to it, so its refusal stays covered.
#include "uikit/CGImage.h"

#include <cstddef>
#include <cstring>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

namespace {

constexpr std::uint64_t kMaxFuzzPixels = std::uint64_t{1} << 20;

// Whether the header declares an image within the decoder's limits but larger than this fuzzer
// decodes.
bool tooLargeToFuzz(const std::uint8_t* data, std::size_t size)
{
    if (size < 24 || std::memcmp(data + 12, "IHDR", 4) != 0) return false;
    const auto be32 = [&](std::size_t at) {
        return std::uint32_t{data[at]} << 24 | std::uint32_t{data[at + 1]} << 16 | std::uint32_t{data[at + 2]} << 8 | data[at + 3];
    };
    const std::uint64_t width = be32(16), height = be32(20);
    return width <= zovo::kMaxPNGSide && height <= zovo::kMaxPNGSide && width * height > kMaxFuzzPixels;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (tooLargeToFuzz(data, size)) return 0;
    const zovo::ErrorOr<std::shared_ptr<const CGImage>> result = zovo::decodePNG(std::span<const std::uint8_t>(data, size), "fuzz input");
    if (!result) {
        if (result.error().rfind("fuzz input: ", 0) != 0) std::abort();
        return 0;
    }
    // A success always carries an image.
    if (!result.value()) std::abort();
    const CGImage& image = *result.value();
    if (image.width() == 0 || image.height() == 0 || image.width() > zovo::kMaxPNGSide || image.height() > zovo::kMaxPNGSide) std::abort();
    if (image.bytes().size() != image.bytesPerRow() * image.height()) std::abort();

    // Premultiplied colour never exceeds its coverage.
    for (std::size_t y = 0; y < image.height(); ++y)
        for (std::size_t x = 0; x < image.width(); ++x) {
            auto [r, g, b, a] = image.rgbaAt(x, y);
            if (r > a || g > a || b > a) std::abort();
        }

    std::vector<std::uint8_t> encoded;
    if (!zovo::encodePNG(&image, encoded)) std::abort();
    const zovo::ErrorOr<std::shared_ptr<const CGImage>> again = zovo::decodePNG(encoded, "re-encoded");
    if (!again || again.value()->width() != image.width() || again.value()->height() != image.height()) std::abort();
    return 0;
}
