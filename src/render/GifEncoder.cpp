#include "render/GifEncoder.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <string_view>
#include <utility>

namespace zovo {
namespace {

constexpr int kMaxCodes = 4096; // 12-bit codes

// ---- The global colour table ---------------------------------------------------------------
//
// Every frame brings its own table, so viewers never use the global one; it is still written, the
// same 256 colours as always (six levels of red and blue, seven of green, four extra greys), so
// that files stay byte for byte what earlier versions wrote.

constexpr int kRedLevels = 6, kGreenLevels = 7, kBlueLevels = 6;
constexpr std::array<std::uint8_t, 4> kExtraGreys = {51, 102, 153, 204};

std::uint8_t levelValue(int level, int levels) { return static_cast<std::uint8_t>((level * 255 + (levels - 1) / 2) / (levels - 1)); }

void appendGlobalTable(std::vector<std::uint8_t>& out)
{
    for (int r = 0; r < kRedLevels; ++r)
        for (int g = 0; g < kGreenLevels; ++g)
            for (int b = 0; b < kBlueLevels; ++b) out.insert(out.end(), {levelValue(r, kRedLevels), levelValue(g, kGreenLevels), levelValue(b, kBlueLevels)});
    for (std::uint8_t grey : kExtraGreys) out.insert(out.end(), {grey, grey, grey});
}

// ---- Median cut -------------------------------------------------------------------------------

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

// ---- Bits and blocks --------------------------------------------------------------------------

// Byte by byte: a range insert of a string literal here trips a false overflow warning in GCC 12
// at -O2.
void appendText(std::vector<std::uint8_t>& out, std::string_view text)
{
    for (char c : text) out.push_back(static_cast<std::uint8_t>(c));
}

void putLittle16(std::vector<std::uint8_t>& out, int value)
{
    out.push_back(static_cast<std::uint8_t>(value & 0xff));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xff));
}

// Codes are packed least significant bit first.
class BitPacker {
public:
    explicit BitPacker(std::vector<std::uint8_t>& out) : out_(out) {}
    void put(int code, int width)
    {
        bits_ |= static_cast<std::uint32_t>(code) << count_;
        count_ += width;
        while (count_ >= 8) {
            out_.push_back(static_cast<std::uint8_t>(bits_ & 0xff));
            bits_ >>= 8;
            count_ -= 8;
        }
    }
    void flush()
    {
        if (count_ > 0) out_.push_back(static_cast<std::uint8_t>(bits_ & 0xff));
        bits_ = 0;
        count_ = 0;
    }

private:
    std::vector<std::uint8_t>& out_;
    std::uint32_t bits_ = 0;
    int count_ = 0;
};

// The string table of the compressor: (prefix code, next index) -> code, open addressing.
class CodeTable {
public:
    static constexpr std::size_t kSlots = 8192; // at most half full

    CodeTable() { clear(); }
    void clear() { std::fill(keys_.begin(), keys_.end(), 0u); }
    // The slot for `key`: holding it, or empty where it belongs.
    std::size_t find(std::uint32_t key) const
    {
        std::size_t slot = (key * 2654435761u) >> 19;
        while (keys_[slot] != 0 && keys_[slot] != key + 1) slot = (slot + 1) & (kSlots - 1);
        return slot;
    }
    bool holds(std::size_t slot) const { return keys_[slot] != 0; }
    int code(std::size_t slot) const { return codes_[slot]; }
    void insert(std::size_t slot, std::uint32_t key, int code)
    {
        keys_[slot] = key + 1;
        codes_[slot] = static_cast<std::uint16_t>(code);
    }

private:
    std::array<std::uint32_t, kSlots> keys_{};
    std::array<std::uint16_t, kSlots> codes_{};
};

std::string numberText(int v) { return std::to_string(v); }

} // namespace

void gifCompress(const std::vector<std::uint8_t>& indices, int minCodeSize, std::vector<std::uint8_t>& out)
{
    // The code size is the encoder's own choice; anything else is a broken caller.
    if (minCodeSize < 2 || minCodeSize > 8) throw std::invalid_argument("gifCompress: minimum code size " + numberText(minCodeSize) + " is not 2 to 8");
    const int clearCode = 1 << minCodeSize;
    const int endCode = clearCode + 1;
    BitPacker bits(out);
    auto table = std::make_unique<CodeTable>();
    int width = minCodeSize + 1;
    int next = endCode + 1;

    // The decoder adds a table entry for each code it reads after the first, one step behind
    // the encoder, and widens its codes as soon as its next entry would not fit. Widening after
    // writing a code when the encoder's next free code no longer fits keeps the two in step.
    auto emit = [&](int code) {
        bits.put(code, width);
        if (next >= (1 << width) && width < 12) ++width;
    };

    emit(clearCode);
    if (!indices.empty()) {
        int prefix = indices[0];
        for (std::size_t i = 1; i < indices.size(); ++i) {
            const std::uint32_t key = (static_cast<std::uint32_t>(prefix) << 8) | indices[i];
            const std::size_t slot = table->find(key);
            if (table->holds(slot)) {
                prefix = table->code(slot);
                continue;
            }
            emit(prefix);
            // The last code is left unused, as common encoders do, so that no decoder has to
            // cope with a full table before the clear code arrives.
            if (next < kMaxCodes - 1) {
                table->insert(slot, key, next++);
            } else {
                emit(clearCode);
                table->clear();
                width = minCodeSize + 1;
                next = endCode + 1;
            }
            prefix = indices[i];
        }
        emit(prefix);
    }
    emit(endCode);
    bits.flush();
}

GifWriter::GifWriter(std::filesystem::path path, int width, int height, int delayCentiseconds, GifOptions options)
    : path_(std::move(path)), width_(width), height_(height), delay_(delayCentiseconds), options_(options)
{
    // Sizes come from frames the program rendered and a downscale it chose: out of range, they are
    // the caller's mistake and throw, as broken programs do. Only the file is fallible.
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide)
        throw std::invalid_argument("GifWriter: " + numberText(width) + " x " + numberText(height) + " is not a size from 1 to " +
                                    numberText(kMaxSide) + " a side");
    if (delayCentiseconds < 0 || delayCentiseconds > kMaxSide)
        throw std::invalid_argument("GifWriter: a delay of " + numberText(delayCentiseconds) + " centiseconds is not 0 to " + numberText(kMaxSide));
    if (options.downscale < 1) throw std::invalid_argument("GifWriter: downscale " + numberText(options.downscale) + " is below 1");
    canvasWidth_ = (width + options.downscale - 1) / options.downscale;
    canvasHeight_ = (height + options.downscale - 1) / options.downscale;
    const std::size_t canvasBytes = static_cast<std::size_t>(canvasWidth_) * static_cast<std::size_t>(canvasHeight_) * 3;
    canvas_.assign(canvasBytes, 0);
    previous_.assign(canvasBytes, 0);

    file_ = std::fopen(path_.c_str(), "wb");
    if (!file_) {
        fail(std::string("cannot open for writing: ") + std::strerror(errno));
        return;
    }
    // Header, logical screen with the global table, and the request to loop for ever.
    out_.clear();
    appendText(out_, "GIF89a");
    putLittle16(out_, canvasWidth_);
    putLittle16(out_, canvasHeight_);
    out_.push_back(0xF7); // global table, 8 bits of colour resolution, 256 entries
    out_.push_back(0);    // background: black
    out_.push_back(0);    // square pixels
    appendGlobalTable(out_);
    out_.insert(out_.end(), {0x21, 0xFF, 11});
    appendText(out_, "NETSCAPE2.0");
    out_.insert(out_.end(), {3, 1, 0, 0, 0}); // sub-block: loop count 0 (for ever)
    write(out_.data(), out_.size());
    flush();
}

GifWriter::~GifWriter()
{
    if (!finished_) (void)finish();
}

void GifWriter::fail(const std::string& what)
{
    if (error_.empty()) error_ = path_.string() + ": " + what;
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
}

void GifWriter::write(const void* bytes, std::size_t count)
{
    if (!file_) return;
    if (std::fwrite(bytes, 1, count, file_) != count) fail(std::string("cannot write: ") + std::strerror(errno));
}

void GifWriter::flush()
{
    if (file_ && std::fflush(file_) != 0) fail(std::string("cannot write: ") + std::strerror(errno));
}

ErrorOr<void> GifWriter::addFrame(const Frame& frame, int delayCentiseconds)
{
    if (finished_) return Error{path_.string() + ": a frame added after the animation was finished"};
    if (!error_.empty()) return Error{error_};
    if (frame.empty()) return Error{path_.string() + ": the frame has no pixels to add"};
    const int delay = delayCentiseconds < 0 ? delay_ : std::min(delayCentiseconds, kMaxSide);
    reduce(frame);
    writeFrame(changedRect(), delay);
    if (!error_.empty()) return Error{error_};
    canvas_.swap(previous_);
    ++frames_;
    return {};
}

void GifWriter::reduce(const Frame& frame)
{
    // Where the frame lands: all of the canvas for the size given at construction, otherwise the
    // largest rectangle of the frame's proportions that fits, centred.
    int targetX = 0, targetY = 0, targetWidth = canvasWidth_, targetHeight = canvasHeight_;
    const bool fitted = frame.width() != width_ || frame.height() != height_;
    if (fitted) {
        const double fit = std::min(static_cast<double>(canvasWidth_) / frame.width(), static_cast<double>(canvasHeight_) / frame.height());
        targetWidth = std::clamp(static_cast<int>(std::lround(frame.width() * fit)), 1, canvasWidth_);
        targetHeight = std::clamp(static_cast<int>(std::lround(frame.height() * fit)), 1, canvasHeight_);
        targetX = (canvasWidth_ - targetWidth) / 2;
        targetY = (canvasHeight_ - targetHeight) / 2;
        std::fill(canvas_.begin(), canvas_.end(), 0);
    }

    // Each canvas pixel averages a block of source pixels: downscale × downscale of them for
    // frames of the expected size (fewer in a last, partial row or column); otherwise those whose
    // top-left corners fall inside it, and at least one, so enlarging takes the nearest.
    const int factor = options_.downscale;
    if (!fitted && factor == 1) {
        // Blocks of one pixel: the average is the pixel itself, so the bytes are only reordered.
        for (int y = 0; y < canvasHeight_; ++y) {
            const std::uint8_t* p = frame.data() + static_cast<std::size_t>(y) * frame.stride(); // B, G, R, A
            std::uint8_t* out = canvas_.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(canvasWidth_) * 3;
            for (int x = 0; x < canvasWidth_; ++x, p += 4, out += 3) {
                out[0] = p[2];
                out[1] = p[1];
                out[2] = p[0];
            }
        }
        return;
    }
    auto spans = [&](int source, int target) {
        std::vector<std::pair<int, int>> out(static_cast<std::size_t>(target));
        for (int t = 0; t < target; ++t) {
            if (!fitted) {
                out[static_cast<std::size_t>(t)] = {t * factor, std::min(source, (t + 1) * factor)};
                continue;
            }
            const int first = static_cast<int>(static_cast<std::int64_t>(t) * source / target);
            const int last = static_cast<int>(static_cast<std::int64_t>(t + 1) * source / target);
            out[static_cast<std::size_t>(t)] = {first, std::max(last, first + 1)};
        }
        return out;
    };
    const auto columns = spans(frame.width(), targetWidth);
    const auto rows = spans(frame.height(), targetHeight);
    std::vector<std::uint64_t> sums(static_cast<std::size_t>(targetWidth) * 3);
    for (int ty = 0; ty < targetHeight; ++ty) {
        std::fill(sums.begin(), sums.end(), std::uint64_t{0});
        const auto [y0, y1] = rows[static_cast<std::size_t>(ty)];
        for (int sy = y0; sy < y1; ++sy) {
            const std::uint8_t* row = frame.data() + static_cast<std::size_t>(sy) * frame.stride();
            for (int tx = 0; tx < targetWidth; ++tx) {
                const auto [x0, x1] = columns[static_cast<std::size_t>(tx)];
                std::uint64_t* sum = sums.data() + static_cast<std::size_t>(tx) * 3;
                for (int sx = x0; sx < x1; ++sx) {
                    const std::uint8_t* p = row + static_cast<std::size_t>(sx) * 4; // B, G, R, A
                    sum[0] += p[2];
                    sum[1] += p[1];
                    sum[2] += p[0];
                }
            }
        }
        std::uint8_t* out = canvas_.data() + (static_cast<std::size_t>(targetY + ty) * static_cast<std::size_t>(canvasWidth_) + static_cast<std::size_t>(targetX)) * 3;
        for (int tx = 0; tx < targetWidth; ++tx) {
            const auto [x0, x1] = columns[static_cast<std::size_t>(tx)];
            const auto count = static_cast<std::uint64_t>(x1 - x0) * static_cast<std::uint64_t>(y1 - y0);
            for (std::size_t c = 0; c < 3; ++c) out[static_cast<std::size_t>(tx) * 3 + c] = static_cast<std::uint8_t>((sums[static_cast<std::size_t>(tx) * 3 + c] + count / 2) / count);
        }
    }
}

GifWriter::Rect GifWriter::changedRect() const
{
    if (frames_ == 0) return {0, 0, canvasWidth_, canvasHeight_};
    const std::size_t rowBytes = static_cast<std::size_t>(canvasWidth_) * 3;
    int top = -1, bottom = -1, left = canvasWidth_, right = -1;
    for (int y = 0; y < canvasHeight_; ++y) {
        const std::uint8_t* now = canvas_.data() + static_cast<std::size_t>(y) * rowBytes;
        const std::uint8_t* before = previous_.data() + static_cast<std::size_t>(y) * rowBytes;
        if (std::memcmp(now, before, rowBytes) == 0) continue;
        if (top < 0) top = y;
        bottom = y;
        int x = 0;
        while (x < left && std::memcmp(now + x * 3, before + x * 3, 3) == 0) ++x;
        left = std::min(left, x);
        x = canvasWidth_ - 1;
        while (x > right && std::memcmp(now + x * 3, before + x * 3, 3) == 0) --x;
        right = std::max(right, x);
    }
    // Nothing changed: one pixel, drawn as it was, carries the frame's delay.
    if (top < 0) return {0, 0, 1, 1};
    return {left, top, right - left + 1, bottom - top + 1};
}

void GifWriter::quantise(const Rect& rect, std::vector<std::uint8_t>& indices, std::vector<std::uint8_t>& table)
{
    indices.resize(static_cast<std::size_t>(rect.width) * static_cast<std::size_t>(rect.height));
    auto pixel = [&](int x, int y) { return canvas_.data() + (static_cast<std::size_t>(y) * static_cast<std::size_t>(canvasWidth_) + static_cast<std::size_t>(x)) * 3; };
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

void GifWriter::writeFrame(const Rect& rect, int delay)
{
    std::vector<std::uint8_t> indices, table;
    quantise(rect, indices, table);

    out_.clear();
    // Graphic control: leave the frame in place for the next to draw over, no transparency.
    out_.insert(out_.end(), {0x21, 0xF9, 4, 0x04});
    putLittle16(out_, delay);
    out_.insert(out_.end(), {0, 0});

    out_.push_back(0x2C);
    putLittle16(out_, rect.x);
    putLittle16(out_, rect.y);
    putLittle16(out_, rect.width);
    putLittle16(out_, rect.height);
    // The frame's own table holds a power of two entries, at least two.
    const std::size_t colours = table.size() / 3;
    int bits = 1;
    while ((std::size_t{1} << bits) < colours) ++bits;
    out_.push_back(static_cast<std::uint8_t>(0x80 | (bits - 1)));
    table.resize((std::size_t{1} << bits) * 3, 0);
    out_.insert(out_.end(), table.begin(), table.end());
    const int minCodeSize = std::max(2, bits);
    out_.push_back(static_cast<std::uint8_t>(minCodeSize));
    std::vector<std::uint8_t> data;
    gifCompress(indices, minCodeSize, data);
    for (std::size_t at = 0; at < data.size(); at += 255) {
        const std::size_t length = std::min<std::size_t>(255, data.size() - at);
        out_.push_back(static_cast<std::uint8_t>(length));
        out_.insert(out_.end(), data.begin() + static_cast<std::ptrdiff_t>(at), data.begin() + static_cast<std::ptrdiff_t>(at + length));
    }
    out_.push_back(0);
    write(out_.data(), out_.size());
    flush();
}

ErrorOr<void> GifWriter::finish()
{
    if (finished_) return finishResult_;
    finished_ = true;
    if (file_) {
        const std::uint8_t trailer = 0x3B;
        write(&trailer, 1);
        if (std::FILE* file = std::exchange(file_, nullptr); file && std::fclose(file) != 0)
            fail(std::string("cannot write: ") + std::strerror(errno));
    }
    if (error_.empty() && frames_ == 0) error_ = path_.string() + ": no frames were added to the animation";
    if (!error_.empty()) finishResult_ = Error{error_};
    return finishResult_;
}

} // namespace zovo
