#include "render/ViewPainting.h"

#include "objc/Object.h"
#include "uikit/CALayer.h"
#include "uikit/CAShapeLayer.h"
#include "uikit/UIColor.h"
#include "uikit/UIImage.h"
#include "uikit/UIImageView.h"
#include "uikit/UILabel.h"
#include "uikit/UIView.h"

#include <algorithm>
#include <cmath>

namespace zovo {

namespace {

CGRect boundsOf(const CGRect& frame) { return CGRectMake(0, 0, frame.size.width, frame.size.height); }

CGRect unionOf(const CGRect& a, const CGRect& b)
{
    const double x0 = std::min(CGRectGetMinX(a), CGRectGetMinX(b)), y0 = std::min(CGRectGetMinY(a), CGRectGetMinY(b));
    const double x1 = std::max(CGRectGetMaxX(a), CGRectGetMaxX(b)), y1 = std::max(CGRectGetMaxY(a), CGRectGetMaxY(b));
    return CGRectMake(x0, y0, x1 - x0, y1 - y0);
}

std::optional<CGRect> intersectionOf(const CGRect& a, const CGRect& b)
{
    const double x0 = std::max(CGRectGetMinX(a), CGRectGetMinX(b)), y0 = std::max(CGRectGetMinY(a), CGRectGetMinY(b));
    const double x1 = std::min(CGRectGetMaxX(a), CGRectGetMaxX(b)), y1 = std::min(CGRectGetMaxY(a), CGRectGetMaxY(b));
    if (!(x1 > x0) || !(y1 > y0)) return std::nullopt;
    return CGRectMake(x0, y0, x1 - x0, y1 - y0);
}

CGRect offsetBy(const CGRect& r, CGPoint by) { return CGRectMake(r.origin.x + by.x, r.origin.y + by.y, r.size.width, r.size.height); }

RGBA colourOf(const UIColor& colour) { return RGBA{colour.red(), colour.green(), colour.blue(), colour.alpha()}; }

// What a view's layer cuts it to, beyond its own bounds.
struct Mask {
    const CGPath* path = nullptr; // null: the mask leaves nothing visible
    CGPoint offset;
};

std::optional<Mask> maskOf(const CALayer& layer)
{
    const CALayer* mask = layer.mask();
    if (!mask) return std::nullopt;
    Mask result;
    if (const auto* shape = dynamic_cast<const CAShapeLayer*>(mask)) result.path = shape->path();
    const CGRect frame = mask->frame();
    result.offset = frame.origin;
    if (!paintable(result.offset.x) || !paintable(result.offset.y)) result.path = nullptr;
    return result;
}

// The view's presentation alpha as a group opacity: nothing when the view draws nothing.
std::optional<double> visibleAlpha(const UIView& view)
{
    if (view.isHidden()) return std::nullopt;
    const double alpha = view.presentationAlpha();
    if (!(alpha > 0)) return std::nullopt; // zero, negative or not a number
    return std::min(alpha, 1.0);
}

void paintContent(Painter& painter, const UIView& view, const CGRect& bounds)
{
    if (const auto* label = dynamic_cast<const UILabel*>(&view)) {
        if (!label->textString().empty()) painter.drawText(label->textString(), label->textStyle(), bounds);
        return;
    }
    if (const auto* imageView = dynamic_cast<const UIImageView*>(&view)) {
        if (const auto* image = objc::cast<UIImage>(imageView->image())) painter.drawImage(image->sharedCGImage(), bounds);
    }
}

} // namespace

std::optional<CGRect> paintedExtent(const UIView& view)
{
    if (!visibleAlpha(view)) return std::nullopt;
    const CGRect frame = view.presentationFrame();
    if (!paintable(frame)) return std::nullopt;
    const CALayer* layer = view.layer();
    const std::optional<Mask> mask = maskOf(*layer);
    if (mask && !mask->path) return std::nullopt;

    // In the view's own coordinates first: its bounds and whatever its subviews reach.
    const CGRect bounds = CGRectStandardize(boundsOf(frame));
    CGRect extent = bounds;
    if (!layer->masksToBounds()) {
        for (const auto& subview : view.subviews())
            if (auto sub = paintedExtent(*subview)) extent = unionOf(extent, *sub);
    }
    if (mask) {
        auto kept = intersectionOf(extent, offsetBy(mask->path->boundingBox(), mask->offset));
        if (!kept) return std::nullopt;
        extent = *kept;
    }
    return offsetBy(extent, frame.origin);
}

void paintView(Painter& painter, const UIView& view)
{
    const std::optional<double> alpha = visibleAlpha(view);
    if (!alpha) return;
    const CGRect frame = view.presentationFrame();
    if (!paintable(frame)) return;
    const CALayer* layer = view.layer();
    const std::optional<Mask> mask = maskOf(*layer);
    if (mask && !mask->path) return;

    Painter::Saved saved(painter);
    painter.translate(frame.origin.x, frame.origin.y);
    const CGRect bounds = boundsOf(frame);
    const double radius = layer->cornerRadius();

    if (mask) {
        painter.translate(mask->offset.x, mask->offset.y);
        painter.clipToPath(*mask->path);
        painter.translate(-mask->offset.x, -mask->offset.y);
    }
    // An image view clipped to its rounded bounds with nothing else to draw (an app icon) is
    // drawn in one step, which lets the painter keep the clipped image between frames.
    if (const auto* imageView = dynamic_cast<const UIImageView*>(&view); imageView && layer->masksToBounds() && !mask && *alpha >= 1 &&
                                                                          view.subviews().empty() && !(view.backgroundColor() && view.backgroundColor()->alpha() > 0)) {
        if (const auto* image = objc::cast<UIImage>(imageView->image())) painter.drawImageInRoundedRect(image->sharedCGImage(), CGRectStandardize(bounds), radius);
        return;
    }
    if (layer->masksToBounds()) painter.clipToRoundedRect(CGRectStandardize(bounds), radius);

    const bool group = *alpha < 1;
    if (group) {
        // A group is as large as the clip; narrowing the clip to what this view can reach keeps
        // a translucent icon from costing a whole screen of memory. One point of margin keeps
        // antialiased edges.
        std::optional<CGRect> extent = paintedExtent(view);
        if (!extent) return;
        const CGRect local = offsetBy(*extent, CGPointMake(-frame.origin.x, -frame.origin.y));
        painter.clipToRect(CGRectMake(local.origin.x - 1, local.origin.y - 1, local.size.width + 2, local.size.height + 2));
        if (painter.clipBounds().size.width <= 0) return;
        painter.beginGroup();
    }

    if (const UIColor* background = view.backgroundColor(); background && background->alpha() > 0)
        painter.fillRoundedRect(CGRectStandardize(bounds), radius, colourOf(*background));
    paintContent(painter, view, bounds);
    for (const auto& subview : view.subviews()) paintView(painter, *subview);

    if (group) painter.endGroup(*alpha);
}

} // namespace zovo
