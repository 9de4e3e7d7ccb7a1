// Colour reduction for the GIF writer: the fixed global table, and a median cut of a frame's
// colours into a table of its own.
#include "render/GifInternals.h"

#include <algorithm>
#include <array>
#include <memory>
#include <utility>

namespace zovo {
namespace {

// The global table's levels.
constexpr int kRedLevels = 6, kGreenLevels = 7, kBlueLevels = 6;
constexpr std::array<std::uint8_t, 4> kExtraGreys = {51, 102, 153, 204};

std::uint8_t levelValue(int level, int levels) { return static_cast<std::uint8_t>((level * 255 + (levels - 1) / 2) / (levels - 1)); }

// Colours are counted in bins of 5 bits a channel; a palette colour is the mean of the exact
// colours in its box of bins, so a frame of few colours keeps them exactly.
constexpr int kBinBits = 5;
constexpr int kBins = 1 << (3 * kBinBits);

int binOf(int r, int g, int b) { return ((r >> 3) << (2 * kBinBits)) | ((g >> 3) << kBinBits) | (b >> 3); }
int binChannel(int bin, int channel) { return (bin >> (kBinBits * (2 - channel))) & ((1 << kBinBits) - 1); }

struct Histogram {
    std::vector<std::uint32_t> count = std::vector<std::uint32_t>(kBins);
    std::vector<std::array<std::uint64_t, 3>> sum = std::vector<std::array<std::uint64_t, 3>>(kBins);
    std::vector<int> used; // bins with a count, in no order
};

struct Box {
    std::vector<int> bins;
    std::uint64_t pixels = 0;
    int longest = 0; // channel with the widest range of bins
    int range = 0;   // that range, in bins
};

void measure(Box& box, const Histogram& histogram)
{
    std::array<int, 3> lo{31, 31, 31}, hi{0, 0, 0};
    box.pixels = 0;
    for (int bin : box.bins) {
        box.pixels += histogram.count[static_cast<std::size_t>(bin)];
        for (int c = 0; c < 3; ++c) {
            lo[static_cast<std::size_t>(c)] = std::min(lo[static_cast<std::size_t>(c)], binChannel(bin, c));
            hi[static_cast<std::size_t>(c)] = std::max(hi[static_cast<std::size_t>(c)], binChannel(bin, c));
        }
    }
    box.longest = 0;
    box.range = 0;
    for (int c = 0; c < 3; ++c) {
        const int range = hi[static_cast<std::size_t>(c)] - lo[static_cast<std::size_t>(c)];
        if (range > box.range) box.range = range, box.longest = c;
    }
}

// Splits boxes until there are `limit` of them or none can be split. The box split next is the
// one whose pixels spread furthest (pixels × widest range), cut at the pixel median of its
// widest channel.
std::vector<Box> medianCut(const Histogram& histogram, std::size_t limit)
{
    std::vector<Box> boxes(1);
    boxes[0].bins = histogram.used;
    measure(boxes[0], histogram);
    while (boxes.size() < limit) {
        std::size_t pick = boxes.size();
        double bestScore = 0;
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            const double score = static_cast<double>(boxes[i].pixels) * boxes[i].range;
            if (boxes[i].bins.size() > 1 && boxes[i].range > 0 && score > bestScore) bestScore = score, pick = i;
        }
        if (pick == boxes.size()) break;
        Box& box = boxes[pick];
        const int channel = box.longest;
        std::sort(box.bins.begin(), box.bins.end(), [&](int a, int b) { return binChannel(a, channel) < binChannel(b, channel); });
        // The first bin at which half the pixels have been passed, moved to the start of a run
        // of equal values so both halves have a range of their own, and never at either end.
        std::uint64_t seen = 0;
        std::size_t cut = 0;
        while (cut < box.bins.size() && seen * 2 < box.pixels) seen += histogram.count[static_cast<std::size_t>(box.bins[cut++])];
        const int value = binChannel(box.bins[std::min(cut, box.bins.size() - 1)], channel);
        while (cut > 0 && binChannel(box.bins[cut - 1], channel) == value) --cut;
        if (cut == 0) {
            while (cut < box.bins.size() && binChannel(box.bins[cut], channel) == binChannel(box.bins[0], channel)) ++cut;
        }
        Box upper;
        upper.bins.assign(box.bins.begin() + static_cast<std::ptrdiff_t>(cut), box.bins.end());
        box.bins.resize(cut);
        measure(box, histogram);
        measure(upper, histogram);
        boxes.push_back(std::move(upper));
    }
    return boxes;
}

} // namespace

void appendGifGlobalTable(std::vector<std::uint8_t>& out)
{
    for (int r = 0; r < kRedLevels; ++r)
        for (int g = 0; g < kGreenLevels; ++g)
            for (int b = 0; b < kBlueLevels; ++b) out.insert(out.end(), {levelValue(r, kRedLevels), levelValue(g, kGreenLevels), levelValue(b, kBlueLevels)});
    for (std::uint8_t grey : kExtraGreys) out.insert(out.end(), {grey, grey, grey});
}

void gifQuantise(const std::uint8_t* canvas, int canvasWidth, const GifRect& rect, std::vector<std::uint8_t>& indices, std::vector<std::uint8_t>& table)
{
    indices.resize(static_cast<std::size_t>(rect.width) * static_cast<std::size_t>(rect.height));
    auto pixel = [&](int x, int y) { return canvas + (static_cast<std::size_t>(y) * static_cast<std::size_t>(canvasWidth) + static_cast<std::size_t>(x)) * 3; };
    std::uint8_t* out = indices.data();

    auto histogram = std::make_unique<Histogram>();
    for (int y = rect.y; y < rect.y + rect.height; ++y)
        for (int x = rect.x; x < rect.x + rect.width; ++x) {
            const std::uint8_t* p = pixel(x, y);
            const auto bin = static_cast<std::size_t>(binOf(p[0], p[1], p[2]));
            if (histogram->count[bin]++ == 0) histogram->used.push_back(static_cast<int>(bin));
            for (std::size_t c = 0; c < 3; ++c) histogram->sum[bin][c] += p[c];
        }
    const std::vector<Box> boxes = medianCut(*histogram, 256);

    // Every pixel's bin was counted, so each maps to the box that holds it.
    std::vector<std::uint8_t> lookup(kBins);
    table.clear();
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        std::array<std::uint64_t, 3> sum{};
        for (int bin : boxes[i].bins) {
            lookup[static_cast<std::size_t>(bin)] = static_cast<std::uint8_t>(i);
            for (std::size_t c = 0; c < 3; ++c) sum[c] += histogram->sum[static_cast<std::size_t>(bin)][c];
        }
        for (std::size_t c = 0; c < 3; ++c) table.push_back(static_cast<std::uint8_t>((sum[c] + boxes[i].pixels / 2) / boxes[i].pixels));
    }
    for (int y = rect.y; y < rect.y + rect.height; ++y)
        for (int x = rect.x; x < rect.x + rect.width; ++x) {
            const std::uint8_t* p = pixel(x, y);
            *out++ = lookup[static_cast<std::size_t>(binOf(p[0], p[1], p[2]))];
        }
}

} // namespace zovo
