// The painter over Cairo: draws into a Frame's pixels at the frame's scale.
//
//   zovo::ImageSurfaceCache images;              // lives across frames
//   zovo::Frame frame(390, 844, 1.0);
//   zovo::CairoPainter painter(frame, &images);
//   painter.drawImage(icon->sharedCGImage(), CGRectMake(10, 10, 20, 20));
//
// The frame must outlive the painter; its pixels are final once the painter has ended. Drawing
// with coordinates that are not finite or beyond a million points draws nothing, so a bad frame
// set from untrusted settings cannot put the drawing state into an error that would blank the
// rest of the screen.
#pragma once

#include "render/Frame.h"
#include "render/Painter.h"

#include <cstddef>
#include <memory>

namespace zovo {

// Images converted to the painter's own bitmap layout, kept between frames so that an icon is
// converted once, not once a frame. An image is known by identity: an entry whose image has
// ended is dropped by the next sweep() and never mistaken for a new image at the same address.
class ImageSurfaceCache {
public:
    ImageSurfaceCache();
    ~ImageSurfaceCache();
    ImageSurfaceCache(const ImageSurfaceCache&) = delete;
    ImageSurfaceCache& operator=(const ImageSurfaceCache&) = delete;

    // Entries held now, including those of images that have ended since the last sweep.
    std::size_t size() const;
    // Drops the entries of images that have ended.
    void sweep();
    void clear();

private:
    friend class CairoPainter;
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

class CairoPainter final : public Painter {
public:
    // Without a cache, images are converted at each drawing.
    explicit CairoPainter(Frame& target, ImageSurfaceCache* images = nullptr);
    ~CairoPainter() override;
    CairoPainter(const CairoPainter&) = delete;
    CairoPainter& operator=(const CairoPainter&) = delete;

    void save() override;
    void restore() override;
    void translate(double dx, double dy) override;
    void clipToRect(CGRect rect) override;
    void clipToRoundedRect(CGRect rect, double radius) override;
    void clipToPath(const CGPath& path) override;
    CGRect clipBounds() const override;
    void fillRect(CGRect rect, RGBA colour) override;
    void fillRoundedRect(CGRect rect, double radius, RGBA colour) override;
    void fillPath(const CGPath& path, RGBA colour) override;
    void fillRectWithLinearGradient(CGRect rect, CGPoint start, CGPoint end, std::span<const GradientStop> stops) override;
    void drawImage(const std::shared_ptr<const CGImage>& image, CGRect rect) override;
    void drawImageInRoundedRect(const std::shared_ptr<const CGImage>& image, CGRect rect, double radius) override;
    void drawText(std::string_view text, const TextStyle& style, CGRect rect) override;
    void drawBitmap(const Frame& bitmap, CGPoint origin, BitmapBlend blend) override;
    void beginGroup() override;
    void endGroup(double alpha) override;

    // Narrows the clip to whole pixels of the frame, exactly: nothing is drawn outside them, and
    // every pixel inside comes out as it would without this clip.
    void clipToPixels(const PixelRect& pixels);

    // False once the drawing state has failed (Cairo reported an error); nothing more is drawn.
    bool ok() const;

private:
    // Draws an image from the cache's copy scaled to the pixels it covers; false when the
    // transformation or size does not allow it.
    bool drawPrescaledImage(const std::shared_ptr<const CGImage>& image, CGRect rect);

    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace zovo
