// The parts of the GIF writer (GifEncoder.cpp) that live in files of their own: colour reduction
// (GifColours.cpp) and compression (GifLzw.cpp). Private to the render layer.
#pragma once

#include <cstdint>
#include <vector>

namespace zovo {

// A rectangle of the canvas, in pixels.
struct GifRect {
    int x = 0, y = 0, width = 0, height = 0;
};

// Appends the global colour table every file carries: 256 fixed colours (six levels of red and
// blue, seven of green, four extra greys). Frames bring tables of their own, so viewers never use
// it; it stays so that files are byte for byte what earlier versions wrote.
void appendGifGlobalTable(std::vector<std::uint8_t>& out);

// Reduces `rect` of a canvas (three bytes a pixel, R, G, B, `canvasWidth` pixels a row) to at most
// 256 colours by a median cut: `table` gets the colours (three bytes each), `indices` one entry a
// pixel of the rectangle, row by row. A rectangle of few colours keeps them exactly.
void gifQuantise(const std::uint8_t* canvas, int canvasWidth, const GifRect& rect, std::vector<std::uint8_t>& indices, std::vector<std::uint8_t>& table);

// Compresses palette indices, each below 2^minCodeSize, as GIF image data without the sub-block
// framing: a clear code first, codes growing from minCodeSize + 1 to 12 bits, a clear code when
// the table is full, and the end code last. Appends to `out`. minCodeSize is 2 to 8; anything
// else throws std::invalid_argument.
void gifCompress(const std::vector<std::uint8_t>& indices, int minCodeSize, std::vector<std::uint8_t>& out);

} // namespace zovo
