#include "render/GifEncoder.h"

#include "render/GifInternals.h"

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

std::string numberText(int v) { return std::to_string(v); }

} // namespace

ErrorOr<std::unique_ptr<GifWriter>> GifWriter::create(std::filesystem::path path, int width, int height, int delayCentiseconds, GifOptions options)
{
    // Sizes come from frames the program rendered and a downscale it chose: out of range, they are
    // the caller's mistake and throw, as broken programs do. Only the file is fallible.
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide)
        throw std::invalid_argument("GifWriter: " + numberText(width) + " x " + numberText(height) + " is not a size from 1 to " +
                                    numberText(kMaxSide) + " a side");
    if (delayCentiseconds < 0 || delayCentiseconds > kMaxSide)
        throw std::invalid_argument("GifWriter: a delay of " + numberText(delayCentiseconds) + " centiseconds is not 0 to " + numberText(kMaxSide));
    if (options.downscale < 1) throw std::invalid_argument("GifWriter: downscale " + numberText(options.downscale) + " is below 1");
    std::unique_ptr<GifWriter> gif(new GifWriter(std::move(path), width, height, delayCentiseconds, options));
    gif->file_ = std::fopen(gif->path_.c_str(), "wb");
    if (!gif->file_) {
        gif->finished_ = true; // nothing to end
        return Error{gif->path_.string() + ": cannot open for writing: " + std::strerror(errno)};
    }
    gif->writeHeader();
    if (!gif->error_.empty()) {
        gif->finished_ = true;
        return Error{gif->error_};
    }
    return gif;
}

GifWriter::GifWriter(std::filesystem::path path, int width, int height, int delayCentiseconds, GifOptions options)
    : path_(std::move(path)), width_(width), height_(height), delay_(delayCentiseconds), options_(options),
      canvasWidth_((width + options.downscale - 1) / options.downscale), canvasHeight_((height + options.downscale - 1) / options.downscale)
{
    const std::size_t canvasBytes = static_cast<std::size_t>(canvasWidth_) * static_cast<std::size_t>(canvasHeight_) * 3;
    canvas_.assign(canvasBytes, 0);
    previous_.assign(canvasBytes, 0);
}

void GifWriter::writeHeader()
{
    // Header, logical screen with the global table, and the request to loop for ever.
    out_.clear();
    appendText(out_, "GIF89a");
    putLittle16(out_, canvasWidth_);
    putLittle16(out_, canvasHeight_);
    out_.push_back(0xF7); // global table, 8 bits of colour resolution, 256 entries
    out_.push_back(0);    // background: black
    out_.push_back(0);    // square pixels
    appendGifGlobalTable(out_);
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
    // Where the frame lands: all of the canvas for the size given to create(), otherwise the
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

void GifWriter::writeFrame(const Rect& rect, int delay)
{
    std::vector<std::uint8_t> indices, table;
    gifQuantise(canvas_.data(), canvasWidth_, GifRect{rect.x, rect.y, rect.width, rect.height}, indices, table);

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
