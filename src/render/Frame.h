// Frames: owned bitmaps of the screen as the renderer draws it.
//
//   zovo::Frame frame = zovo::renderScreen({});          // 1170 x 2532 pixels for a 390 x 844 screen at 3x
//   zovo::RGBA8 p = frame.pixelAt(585, 1266);            // straight red, green, blue, alpha
//   if (auto written = zovo::writeFramePNG(frame, "/tmp/screen.png"); !written) std::cerr << written.error();
//
// Pixels are four bytes each, B, G, R, A in memory with premultiplied alpha (Cairo's ARGB32 words
// on the little-endian hosts this builds for), rows `stride` bytes apart. A whole screen is
// opaque; pieces the renderer keeps between frames (the status bar, the notch) are transparent
// where nothing is drawn.
#pragma once

#include "uikit/CGImage.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

namespace zovo {

// One pixel with straight (not premultiplied) colour.
struct RGBA8 {
    std::uint8_t red = 0, green = 0, blue = 0, alpha = 0;
    friend bool operator==(const RGBA8&, const RGBA8&) = default;
};

// A rectangle of whole pixels, x and y from the top-left corner.
struct PixelRect {
    int x = 0, y = 0, width = 0, height = 0;
    bool empty() const { return width <= 0 || height <= 0; }
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// The smallest rectangle holding both; an empty one adds nothing.
PixelRect unionOf(const PixelRect& a, const PixelRect& b);

class Frame {
public:
    // The channel order and alpha mode of every frame's bytes.
    static constexpr PixelFormat kFormat{ChannelOrder::BGRA, AlphaMode::Premultiplied};

    // An empty frame with no pixels.
    Frame() = default;
    // A copy holds the same pixels, and so the same version; a frame moved from is empty and
    // takes a version of its own.
    Frame(const Frame&) = default;
    Frame& operator=(const Frame&) = default;
    Frame(Frame&& other) noexcept;
    Frame& operator=(Frame&& other) noexcept;
    // A fully transparent frame. `scale` is how many pixels stand for a point. Throws
    // std::invalid_argument for a side of zero or over kMaxImageSide, or a scale that is not a
    // positive finite number.
    Frame(int width, int height, double scale);

    int width() const { return width_; }
    int height() const { return height_; }
    std::size_t stride() const { return stride_; }
    double scale() const { return scale_; }
    bool empty() const { return width_ == 0 || height_ == 0; }

    // Handing out the pixels for writing gives the frame a new version.
    std::uint8_t* data()
    {
        touch();
        return bytes_.data();
    }
    const std::uint8_t* data() const { return bytes_.data(); }
    // Changes whenever the pixels may have changed through this frame: at data(), clear() and
    // reset(). Versions are unique in the program, so a renderer that finds the version it left
    // knows the pixels are those it drew, and draws only what changed since. Whoever keeps the
    // pointer from data() and writes through it later must call data() again first.
    std::uint64_t version() const { return version_; }
    std::size_t byteCount() const { return bytes_.size(); }

    // The pixel at (x, y), unpremultiplied. Precondition: 0 <= x < width, 0 <= y < height.
    RGBA8 pixelAt(int x, int y) const;
    // The pixel under a point of the screen (in points, scaled by the frame's scale), or nothing
    // for a point outside the frame.
    std::optional<RGBA8> pixelAtPoint(double x, double y) const;

    // Makes every byte zero (fully transparent), keeping the allocation.
    void clear();
    // Takes a new size and scale, with the checks of the constructor. The allocation is reused
    // when the size is unchanged, and then the old pixels stay: a caller that paints every pixel
    // anyway (the renderer's wallpaper does) need not pay for clearing them. A new size starts
    // transparent.
    void reset(int width, int height, double scale);

    // A copy of the pixels as an image, for the image layer's encoders.
    std::shared_ptr<const CGImage> toImage() const;

private:
    void touch() { version_ = nextVersion(); }
    static std::uint64_t nextVersion();

    std::uint64_t version_ = nextVersion();
    int width_ = 0;
    int height_ = 0;
    std::size_t stride_ = 0;
    double scale_ = 1.0;
    std::vector<std::uint8_t> bytes_;
};

// Writes the frame as a PNG file. An empty frame or a file that cannot be written is an error
// whose message names the file.
ErrorOr<void> writeFramePNG(const Frame& frame, const std::filesystem::path& hostPath);

} // namespace zovo
