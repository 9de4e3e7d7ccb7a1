// Images: an optional bitmap and the scale at which its pixels stand for points.
//
//   auto icon = UIImage::fromPixels(60, 60, {zovo::ChannelOrder::BGRA, zovo::AlphaMode::Premultiplied}, bytes, 3.0);
//   icon->size();                                   // 20 x 20 points
//   objc::StrongRef<UIImage> file = UIImage::imageWithContentsOfFile("/tmp/icon@3x.png");  // nil on failure
//   zovo::writePNG(*icon, "/tmp/out.png");
//
// An image made by the runtime's alloc has no bitmap: CGImage() is null and its size is zero.
// Images never change once made.
#pragma once

#include "objc/Object.h"
#include "uikit/CGGeometry.h"
#include "uikit/CGImage.h"
#include "uikit/UIGraphics.h"

#include <filesystem>
#include <memory>

class UIImage : public objc::Object {
public:
    static constexpr const char* kClassName = "UIImage";

    // Throws std::invalid_argument for a scale that is not a positive finite number.
    static objc::StrongRef<UIImage> imageWithCGImage(std::shared_ptr<const ::CGImage> image, double scale = 1.0);
    // For tests and tools. Throws std::invalid_argument as CGImage::create does, or for a bad
    // scale.
    static objc::StrongRef<UIImage> fromPixels(std::size_t width, std::size_t height, zovo::PixelFormat format, std::vector<std::uint8_t> bytes,
                                         double scale = 1.0);
    // A PNG file at a host path, or nil when it cannot be loaded (zovo::loadPNG says why). A file
    // name ending in "@2x" or "@3x" before its extension gives scale 2 or 3, as on the platform.
    static objc::StrongRef<UIImage> imageWithContentsOfFile(const std::filesystem::path& hostPath);

    // The bitmap, or null; valid while the image lives.
    CGImageRef CGImage() const { return image_.get(); }
    const std::shared_ptr<const ::CGImage>& sharedCGImage() const { return image_; }
    double scale() const { return scale_; }
    // Pixels divided by the scale; zero without a bitmap.
    CGSize size() const;

    // Draws the whole image scaled into `rect` of the current bitmap context, as zovo::drawImage
    // describes. Without a current context nothing is drawn.
    void drawInRect(CGRect rect, CGBlendMode mode, double alpha) const;

private:
    std::shared_ptr<const ::CGImage> image_;
    double scale_ = 1.0;
};

namespace zovo {
// Writes the image's bitmap; an image without one is an error that names the file.
ErrorOr<void> writePNG(const UIImage& image, const std::filesystem::path& hostPath);
} // namespace zovo
