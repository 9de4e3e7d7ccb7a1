// PNG encoding for frames, made for speed rather than size: a frame is written many times a
// second during a recording, so it is compressed at a low zlib level with one row filter and
// run-length matching, and the buffers are kept from one frame to the next.
//
//   zovo::PngWriter writer;
//   std::vector<std::uint8_t> png;
//   if (auto written = writer.encode(frame, png); !written) std::cerr << written.message;
//
// The pixels are those of any PNG encoder: straight red, green, blue and alpha, unpremultiplied
// with the rounding Cairo uses, so frames decode to the same colours as before.
#pragma once

#include "render/Frame.h"

#include <cstdint>
#include <filesystem>
#include <vector>

namespace zovo {

class PngWriter {
public:
    // Replaces `out` with the PNG file's bytes (its allocation is reused). An empty frame is an
    // error.
    ErrorOr<void> encode(const Frame& frame, std::vector<std::uint8_t>& out);
    // Encodes and writes the file; errors name the file.
    ErrorOr<void> write(const Frame& frame, const std::filesystem::path& hostPath);

private:
    std::vector<std::uint8_t> row_;
    std::vector<std::uint8_t> encoded_;
};

} // namespace zovo
