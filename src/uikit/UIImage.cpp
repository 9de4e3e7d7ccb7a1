#include "uikit/UIImage.h"

#include <cmath>
#include <stdexcept>
#include <string>

namespace {

double checkedScale(double scale)
{
    if (!std::isfinite(scale) || !(scale > 0)) throw std::invalid_argument("UIImage: scale " + std::to_string(scale) + " is not a positive number");
    return scale;
}

// The scale named by a file name such as "icon@3x.png".
double scaleFromFileName(const std::filesystem::path& path)
{
    const std::string stem = path.stem().string();
    if (stem.size() >= 3 && stem.compare(stem.size() - 3, 3, "@2x") == 0) return 2.0;
    if (stem.size() >= 3 && stem.compare(stem.size() - 3, 3, "@3x") == 0) return 3.0;
    return 1.0;
}

} // namespace

objc::StrongRef<UIImage> UIImage::imageWithCGImage(std::shared_ptr<const ::CGImage> image, double scale)
{
    checkedScale(scale);
    auto result = objc::make<UIImage>();
    result->image_ = std::move(image);
    result->scale_ = scale;
    return result;
}

objc::StrongRef<UIImage> UIImage::fromPixels(std::size_t width, std::size_t height, zovo::PixelFormat format, std::vector<std::uint8_t> bytes,
                                       double scale)
{
    checkedScale(scale);
    return imageWithCGImage(::CGImage::create(width, height, format, std::move(bytes)), scale);
}

objc::StrongRef<UIImage> UIImage::imageWithContentsOfFile(const std::filesystem::path& hostPath)
{
    zovo::ErrorOr<std::shared_ptr<const ::CGImage>> loaded = zovo::loadPNG(hostPath);
    if (!loaded) return nullptr;
    return imageWithCGImage(std::move(loaded).value(), scaleFromFileName(hostPath));
}

CGSize UIImage::size() const
{
    if (!image_) return CGSizeMake(0, 0);
    return CGSizeMake(static_cast<double>(image_->width()) / scale_, static_cast<double>(image_->height()) / scale_);
}

void UIImage::drawInRect(CGRect rect, CGBlendMode mode, double alpha) const
{
    zovo::drawImage(UIGraphicsGetCurrentContext(), image_.get(), rect, mode, alpha);
}

namespace zovo {

ErrorOr<void> writePNG(const UIImage& image, const std::filesystem::path& hostPath)
{
    if (!image.CGImage()) return Error{hostPath.string() + ": the image has no bitmap to write"};
    return writePNG(image.CGImage(), hostPath);
}

} // namespace zovo
