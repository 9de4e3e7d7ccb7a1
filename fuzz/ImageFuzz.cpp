// Feeds arbitrary bytes to the PNG decoder. Whatever the bytes, it must answer with an image or
// an error: no crash, no sanitizer report, no allocation beyond the size limit. A decoded image
// must be whole and must survive being written and read back.
//
//   cmake --preset fuzz && cmake --build --preset fuzz --target fuzz_image
//   build-fuzz/bin/fuzz_image -max_len=65536 -rss_limit_mb=1024 corpus/
#include "uikit/CGImage.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    zovo::ImageResult result = zovo::decodePNG(std::span<const std::uint8_t>(data, size), "fuzz input");
    // A success always carries an image and a message never goes with one.
    if (static_cast<bool>(result) != static_cast<bool>(result.image)) std::abort();
    if (!result) {
        if (result.message.empty()) std::abort();
        return 0;
    }
    const CGImage& image = *result.image;
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
    zovo::ImageResult again = zovo::decodePNG(encoded, "re-encoded");
    if (!again || again.image->width() != image.width() || again.image->height() != image.height()) std::abort();
    return 0;
}
