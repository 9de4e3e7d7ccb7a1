// Image views: a view that shows one image (a UIImage), scaled to its bounds.
//
//   objc::StrongId view = objc::send<objc::StrongId>(objc::send<objc::StrongId>(imageViewClass, "alloc"), "initWithImage:", icon);
//   // view's frame is (0, 0, icon's size); its intrinsic size follows the image
//
// The image is held strongly and known only through messages (its `size`), so this view does not
// depend on how images are stored.
#pragma once

#include "uikit/UIView.h"

class UIImageView : public UIView {
public:
    static constexpr const char* kClassName = "UIImageView";

    UIImageView();
    ~UIImageView() override;

    // The image, or null.
    objc::Object* image() const { return image_.get(); }
    // Takes an instance of UIImage (or of a subclass), or nil to clear. Anything else is a
    // std::invalid_argument naming its class, as is any image while no UIImage class is
    // registered in the process.
    void setImage(objc::id image);

    // The image's size in points, or no intrinsic metric in either direction without an image.
    CGSize intrinsicContentSize() const override;
    // The image's size; without an image, the view's own size.
    CGSize sizeThatFits(CGSize size) const override;

private:
    objc::StrongRef<objc::Object> image_;
};
