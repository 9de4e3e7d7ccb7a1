// Drawing view trees through a Painter, as the screen shows them at this moment of the run
// loop's clock: every view where its presentation frame and alpha put it, so an animation in
// flight is drawn where it has got to.
//
//   zovo::CairoPainter painter(frame);
//   for (UIWindow* window : UIScreen::mainScreen()->visibleWindows()) zovo::paintView(painter, *window);
//
// What a view draws, back to front: its background colour (with the layer's corner radius), its
// content (an image view's image scaled to its bounds, a label's text laid out as sizeToFit
// measured it), then its subviews in order. Nothing of a hidden view or a view at alpha 0 is
// drawn, subviews included. A translucent view is composed as one group, then blended.
//
// Clipping, as the layers do it:
// - clipsToBounds (the layer's masksToBounds) clips content and subviews to the bounds, rounded
//   by the corner radius; without it the radius rounds only the background.
// - A mask layer that is a shape layer with a path keeps what its filled path covers, in the
//   layer's coordinates offset by the mask's frame origin. A mask with nothing to fill (a shape
//   layer without a path, or a plain layer, which has no content here) leaves nothing visible.
// A view whose presentation frame is not finite or reaches beyond kMaxPaintCoordinate is not
// drawn, nor are its subviews.
#pragma once

#include "render/Painter.h"
#include "uikit/Forward.h"

#include <optional>

namespace zovo {

// Draws `view` and its subviews in the painter's current coordinates, taken to be those of the
// view's superview (the screen's, for a window).
void paintView(Painter& painter, const UIView& view);

// The rectangle, in the coordinates of the view's superview, that covers everything painting the
// view can touch; nothing when it draws nothing. May be larger than what is drawn, never smaller.
std::optional<CGRect> paintedExtent(const UIView& view);

} // namespace zovo
