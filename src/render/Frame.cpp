#include "render/Frame.h"

#include "render/PngWriter.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <string>
#include <utility>

namespace zovo {

namespace {

void checkFrameSize(int width, int height, double scale)
{
    // Frame sizes are computed by the renderer from a device profile and a checked scale; a size out
    // of range is a broken caller, so it throws.
    const auto limit = static_cast<int>(kMaxImageSide);
    if (width <= 0 || height <= 0 || width > limit || height > limit)
        throw std::invalid_argument("Frame: " + std::to_string(width) + " x " + std::to_string(height) +
                                    " pixels is not a size from 1 to " + std::to_string(limit) + " a side");
    if (!std::isfinite(scale) || !(scale > 0))
        throw std::invalid_argument("Frame: scale " + std::to_string(scale) + " is not a positive number");
}

// c × 255 / a, rounded to nearest: undoes the premultiplication of one channel.
std::uint8_t unpremultiply(std::uint8_t c, std::uint8_t a)
{
    if (a == 0) return 0;
    if (a == 255) return c;
    const unsigned value = (static_cast<unsigned>(c) * 255u + a / 2u) / a;
    return static_cast<std::uint8_t>(value > 255u ? 255u : value);
}

} // namespace

PixelRect unionOf(const PixelRect& a, const PixelRect& b)
{
    if (a.empty()) return b;
    if (b.empty()) return a;
    const int x0 = std::min(a.x, b.x), y0 = std::min(a.y, b.y);
    const int x1 = std::max(a.x + a.width, b.x + b.width), y1 = std::max(a.y + a.height, b.y + b.height);
    return PixelRect{x0, y0, x1 - x0, y1 - y0};
}

std::uint64_t Frame::nextVersion()
{
    static std::atomic<std::uint64_t> next{1};
    return next.fetch_add(1, std::memory_order_relaxed);
}

Frame::Frame(int width, int height, double scale) { reset(width, height, scale); }

Frame::Frame(Frame&& other) noexcept
    : version_(other.version_)
    , width_(std::exchange(other.width_, 0))
    , height_(std::exchange(other.height_, 0))
    , stride_(std::exchange(other.stride_, 0))
    , scale_(other.scale_)
    , bytes_(std::move(other.bytes_))
{
    other.bytes_.clear();
    other.touch();
}

Frame& Frame::operator=(Frame&& other) noexcept
{
    if (this == &other) return *this;
    version_ = other.version_;
    width_ = std::exchange(other.width_, 0);
    height_ = std::exchange(other.height_, 0);
    stride_ = std::exchange(other.stride_, 0);
    scale_ = other.scale_;
    bytes_ = std::move(other.bytes_);
    other.bytes_.clear();
    other.touch();
    return *this;
}

void Frame::reset(int width, int height, double scale)
{
    checkFrameSize(width, height, scale);
    touch();
    const std::size_t stride = static_cast<std::size_t>(width) * 4;
    const std::size_t size = stride * static_cast<std::size_t>(height);
    if (width != width_ || height != height_) {
        // Assigning a fresh vector rather than resizing: resize would copy the old pixels into
        // the new allocation and keep them where the old rows no longer line up.
        bytes_ = std::vector<std::uint8_t>(size);
    }
    width_ = width;
    height_ = height;
    stride_ = stride;
    scale_ = scale;
}

void Frame::clear()
{
    touch();
    std::memset(bytes_.data(), 0, bytes_.size());
}

RGBA8 Frame::pixelAt(int x, int y) const
{
    const std::uint8_t* p = bytes_.data() + static_cast<std::size_t>(y) * stride_ + static_cast<std::size_t>(x) * 4;
    const std::uint8_t a = p[3];
    return RGBA8{unpremultiply(p[2], a), unpremultiply(p[1], a), unpremultiply(p[0], a), a};
}

std::optional<RGBA8> Frame::pixelAtPoint(double x, double y) const
{
    const double px = std::floor(x * scale_);
    const double py = std::floor(y * scale_);
    if (!(px >= 0) || !(py >= 0) || px >= width_ || py >= height_) return std::nullopt;
    return pixelAt(static_cast<int>(px), static_cast<int>(py));
}

std::shared_ptr<const CGImage> Frame::toImage() const
{
    return CGImage::create(static_cast<std::size_t>(width_), static_cast<std::size_t>(height_), kFormat, bytes_, stride_);
}

ErrorOr<void> writeFramePNG(const Frame& frame, const std::filesystem::path& hostPath)
{
    if (frame.empty()) return Error{hostPath.string() + ": the frame has no pixels to write"};
    // One writer per thread keeps its buffers from frame to frame.
    thread_local PngWriter writer;
    return writer.write(FramePixels{frame.data(), frame.width(), frame.height(), frame.stride()}, hostPath);
}

} // namespace zovo
