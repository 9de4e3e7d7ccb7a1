#include "uikit/UIImageView.h"

#include "objc/Message.h"
#include "objc/Runtime.h"

#include <optional>
#include <stdexcept>
#include <string>

namespace {
// What the image answers to `size`. An image class without that method has no size to give.
std::optional<CGSize> sizeOf(objc::id image)
{
    if (!image || !objc::respondsTo(image, objc::sel("size"))) return std::nullopt;
    return objc::send<CGSize>(image, "size");
}
} // namespace

UIImageView::UIImageView()
{
    // As labels: an image view lets a touch through to the view behind it until told otherwise.
    setUserInteractionEnabled(false);
}
UIImageView::~UIImageView() = default;

void UIImageView::setImage(objc::id image)
{
    if (image) {
        objc::Class imageClass = objc::objc_getClass("UIImage");
        if (!imageClass || !objc::isKindOf(image, imageClass))
            throw std::invalid_argument(std::string("-[UIImageView setImage:]: the image is an instance of ") + image->className() + ", not UIImage");
    }
    if (image == image_.get()) return;
    const std::optional<CGSize> before = sizeOf(image_.get());
    image_ = objc::StrongId(image);
    if (sizeOf(image_.get()) != before) {
        setNeedsLayout();
        if (UIView* parent = superview()) parent->setNeedsLayout();
    }
}

CGSize UIImageView::intrinsicContentSize() const
{
    if (auto size = sizeOf(image_.get())) return *size;
    return CGSizeMake(UIViewNoIntrinsicMetric, UIViewNoIntrinsicMetric);
}

CGSize UIImageView::sizeThatFits(CGSize size) const
{
    if (auto imageSize = sizeOf(image_.get())) return *imageSize;
    return UIView::sizeThatFits(size);
}
