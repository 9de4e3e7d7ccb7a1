// A small GIF reader, written apart from the writer so that it checks it.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace zovo::test {

using Bytes = std::vector<std::uint8_t>;
using Rgb = std::array<int, 3>;

struct Gif {
    struct Image {
        int x, y, width, height, delay;
        Bytes indices, table;
    };
    std::string error;
    int width = 0, height = 0, loopCount = -1, widestCode = 0, clearCodes = 0;
    Bytes globalTable;
    std::vector<Image> images;

    // The colour image `i` gives the screen pixel (x, y), which must be inside its rectangle.
    Rgb rgb(std::size_t i, int x, int y) const
    {
        const Image& m = images.at(i);
        const std::size_t index = m.indices.at(static_cast<std::size_t>((y - m.y) * m.width + x - m.x)) * 3u;
        return {m.table.at(index), m.table.at(index + 1), m.table.at(index + 2)};
    }
};

// Decodes image data (sub-blocks joined) into `out`, counting code widths and clears in `gif`.
// Returns why a decoder could not follow the data, or nothing.
inline std::string lzwDecode(const Bytes& data, int minCodeSize, Bytes& out, Gif& gif)
{
    const std::size_t clear = std::size_t{1} << minCodeSize;
    std::vector<Bytes> table;
    Bytes previous;
    for (std::size_t bit = 0, width = 0, code = 0;; code = 0) {
        if (table.empty()) {
            for (std::size_t i = 0; i < clear + 2; ++i) table.push_back({static_cast<std::uint8_t>(i)});
            width = static_cast<std::size_t>(minCodeSize) + 1, previous.clear();
        }
        if (bit + width > data.size() * 8) return "data ends without an end code";
        for (std::size_t b = 0; b < width; ++b, ++bit) code |= static_cast<std::size_t>((data[bit / 8] >> (bit % 8)) & 1) << b;
        gif.widestCode = std::max(gif.widestCode, static_cast<int>(width));
        if (code == clear) {
            table.clear(), ++gif.clearCodes;
            continue;
        }
        if (code == clear + 1) return "";
        // The first code after a clear must be a colour; later ones may be the entry being defined.
        if (previous.empty() ? code > clear : code > table.size()) return "code " + std::to_string(code) + " is not in the table";
        Bytes entry = code < table.size() ? table[code] : previous;
        if (code == table.size()) entry.push_back(previous.front());
        if (!previous.empty() && table.size() < 4096) previous.push_back(entry.front()), table.push_back(previous);
        if (table.size() == std::size_t{1} << width && width < 12) ++width;
        out.insert(out.end(), entry.begin(), entry.end());
        previous = entry;
    }
}

inline Gif readGif(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    const Bytes b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Gif gif;
    std::size_t at = 0;
    auto u8 = [&]() -> int { return b.at(at++); };
    auto u16 = [&] { const int low = u8(); return low | (u8() << 8); };
    auto bytes = [&](std::size_t n) { Bytes r; while (n--) r.push_back(static_cast<std::uint8_t>(u8())); return r; };
    auto blocks = [&] { Bytes r; for (int n = u8(); n != 0; n = u8()) for (std::uint8_t c : bytes(std::size_t(n))) r.push_back(c); return r; };
    auto table = [&](int flags) { return flags & 0x80 ? bytes(std::size_t{3} << ((flags & 7) + 1)) : gif.globalTable; };
    try {
        if (const Bytes magic = bytes(6); std::string(magic.begin(), magic.end()) != "GIF89a") return gif.error = "no GIF89a header", gif;
        gif.width = u16(), gif.height = u16();
        const int flags = u8();
        at += 2; // background colour and aspect ratio
        gif.globalTable = table(flags);
        int delay = -1;
        for (int kind = u8(); kind != 0x3B; kind = u8()) {
            if (kind == 0x21) {
                const int label = u8();
                const Bytes body = blocks();
                if (label == 0xF9 && body.size() == 4) delay = body[1] | (body[2] << 8);
                if (label == 0xFF && body.size() == 14 && std::string(body.begin(), body.begin() + 11) == "NETSCAPE2.0") gif.loopCount = body[12] | (body[13] << 8);
                continue;
            }
            if (kind != 0x2C) return gif.error = "unknown block " + std::to_string(kind), gif;
            Gif::Image m{u16(), u16(), u16(), u16(), std::exchange(delay, -1)};
            m.table = table(u8());
            const int minCodeSize = u8();
            if (std::string e = lzwDecode(blocks(), minCodeSize, m.indices, gif); !e.empty()) return gif.error = e, gif;
            if (m.indices.size() != std::size_t(m.width * m.height) || m.x + m.width > gif.width || m.y + m.height > gif.height ||
                std::ranges::any_of(m.indices, [&](std::size_t i) { return i * 3 >= m.table.size(); }))
                return gif.error = "image " + std::to_string(gif.images.size()) + " does not fit its rectangle, the screen or its colours", gif;
            gif.images.push_back(std::move(m));
        }
        if (at != b.size()) gif.error = "bytes after the trailer";
    } catch (const std::out_of_range&) {
        gif.error = "cut short";
    }
    return gif;
}

} // namespace zovo::test
