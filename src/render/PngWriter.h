// PNG encoding for frames, made for speed rather than size: a frame is written many times a
// second during a recording, so it is compressed at a low zlib level with one row filter and
// run-length matching, and the buffers are kept from one frame to the next.
//
//   zovo::PngWriter writer;
//   std::vector<std::uint8_t> png;
//   zovo::FramePixels pixels{frame.data(), frame.width(), frame.height(), frame.stride()};
//   if (auto written = writer.encode(pixels, png); !written) std::cerr << written.error();
//
// The pixels are those of any PNG encoder: straight red, green, blue and alpha, unpremultiplied
// with the rounding Cairo uses, so frames decode to the same colours as before.
#pragma once

#include "foundation/ErrorOr.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

namespace zovo {

// A frame's pixels as the writer reads them: four bytes each, B, G, R, A with premultiplied alpha,
// rows `stride` bytes apart. The writer only borrows them.
struct FramePixels {
    const std::uint8_t* data = nullptr;
    int width = 0;
    int height = 0;
    std::size_t stride = 0;
    bool empty() const { return width <= 0 || height <= 0; }
};

class PngWriter {
public:
    // Replaces `out` with the PNG file's bytes (its allocation is reused). An empty frame is an
    // error.
    ErrorOr<void> encode(const FramePixels& frame, std::vector<std::uint8_t>& out);
    // Encodes and writes the file; errors name the file.
    ErrorOr<void> write(const FramePixels& frame, const std::filesystem::path& hostPath);

private:
    std::vector<std::uint8_t> row_;
    std::vector<std::uint8_t> encoded_;
};

} // namespace zovo
