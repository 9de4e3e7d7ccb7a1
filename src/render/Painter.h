// The one drawing interface of the renderer. Views, the wallpaper, the status bar and the notch
// are all drawn through it; only the painter behind it knows the graphics library.
//
//   zovo::Frame frame(1170, 2532, 3.0);
//   zovo::CairoPainter painter(frame);             // draws in points; pixels = points × 3
//   {
//       zovo::Painter::Saved saved(painter);       // restores transformation and clip on exit
//       painter.translate(20, 60);
//       painter.clipToRoundedRect(CGRectMake(0, 0, 100, 40), 12);
//       painter.fillRect(CGRectMake(0, 0, 100, 40), {1, 0, 0, 1});
//   }
//
// Coordinates are points from the top-left corner, y downwards, moved by translate(). A clip
// only ever narrows what the next drawings may touch; restore() brings back the transformation
// and clip of the matching save(). Colours have straight (not premultiplied) alpha.
#pragma once

#include "render/Forward.h"
#include "uikit/CGGeometry.h"
#include "uikit/CGImage.h"
#include "uikit/CGPath.h"
#include "uikit/TextLayout.h"

#include <cmath>
#include <memory>
#include <span>
#include <string_view>

namespace zovo {

// Coordinates beyond this many points from the origin are taken to be garbage (no screen is
// that large): shapes that use them are not drawn, and a translation by them is ignored.
inline constexpr double kMaxPaintCoordinate = 1.0e6;

// Whether a value, point, rectangle or path keeps within that bound. The painters and the log that
// predicts which pixels they touch judge by this one rule, so they agree on what is drawn.
inline bool paintable(double v) { return std::isfinite(v) && std::fabs(v) <= kMaxPaintCoordinate; }
inline bool paintable(CGPoint p) { return paintable(p.x) && paintable(p.y); }
inline bool paintable(const CGRect& r) { return paintable(r.origin) && paintable(r.size.width) && paintable(r.size.height); }
inline bool paintable(const CGPath& path)
{
    for (const CGPathElement& e : path.elements) {
        const int n = e.type == CGPathElement::Type::CurveTo ? 3 : e.type == CGPathElement::Type::Close ? 0 : 1;
        for (int i = 0; i < n; ++i)
            if (!paintable(e.points[i])) return false;
    }
    return true;
}

// A colour with components from 0 to 1 and straight alpha.
struct RGBA {
    double red = 0, green = 0, blue = 0, alpha = 1;
    friend bool operator==(const RGBA&, const RGBA&) = default;
};

// A colour at a position from 0 (the start of a gradient) to 1 (its end).
struct GradientStop {
    double offset = 0;
    RGBA colour;
};

enum class BitmapBlend {
    Over,    // blended over what is there, as any drawing
    Replace, // its pixels, transparent ones too, take the place of what is there
};

class Painter {
public:
    virtual ~Painter() = default;

    // Pushes the transformation and clip; restore() pops them. Saves and restores pair up, and a
    // group begun after a save ends before the matching restore.
    virtual void save() = 0;
    virtual void restore() = 0;
    virtual void translate(double dx, double dy) = 0;

    // Narrow the clip to the shape, in current coordinates. Edges are antialiased.
    virtual void clipToRect(CGRect rect) = 0;
    virtual void clipToRoundedRect(CGRect rect, double radius) = 0;
    virtual void clipToPath(const CGPath& path) = 0;
    // The rectangle, in current coordinates, outside which nothing can be drawn now; empty when
    // the clip is empty.
    virtual CGRect clipBounds() const = 0;

    // A corner radius is clamped to half the shorter side; zero or less gives square corners.
    virtual void fillRect(CGRect rect, RGBA colour) = 0;
    virtual void fillRoundedRect(CGRect rect, double radius, RGBA colour) = 0;
    // Fills with the non-zero winding rule, as the platform fills a shape layer.
    virtual void fillPath(const CGPath& path, RGBA colour) = 0;
    // Fills `rect` with colours that change along the line from `start` to `end` and stay
    // constant across it; beyond either end the end colour continues. Stops are in order of
    // offset; without stops nothing is drawn.
    virtual void fillRectWithLinearGradient(CGRect rect, CGPoint start, CGPoint end, std::span<const GradientStop> stops) = 0;

    // The whole image scaled to fill `rect`, smoothly (filtered, not nearest pixel), with edge
    // pixels repeated rather than faded into transparency.
    virtual void drawImage(const std::shared_ptr<const CGImage>& image, CGRect rect) = 0;
    // The image drawn as drawImage draws it, clipped to `rect` with rounded corners, as an app
    // icon is. The clip is not kept. A painter may keep the clipped image to draw it again.
    virtual void drawImageInRoundedRect(const std::shared_ptr<const CGImage>& image, CGRect rect, double radius)
    {
        save();
        clipToRoundedRect(rect, radius);
        drawImage(image, rect);
        restore();
    }
    // Text as a label draws it in `rect` (zovo::drawText): the same layout that measured it.
    virtual void drawText(std::string_view text, const TextStyle& style, CGRect rect) = 0;
    // A bitmap made at this painter's scale, copied pixel for pixel with its top-left corner at
    // the pixel nearest to `origin`, within the clip. The renderer keeps the pieces that do not
    // change between frames this way. A bitmap of another scale draws nothing.
    virtual void drawBitmap(const Frame& bitmap, CGPoint origin, BitmapBlend blend) = 0;

    // Drawings between beginGroup() and endGroup() are composed on their own and then blended
    // with `alpha`, so overlapping parts of one translucent view do not show through each other.
    // A group costs memory in proportion to the clip: narrow the clip first.
    virtual void beginGroup() = 0;
    virtual void endGroup(double alpha) = 0;

    // Restores on scope exit what the constructor saved.
    class Saved {
    public:
        explicit Saved(Painter& painter) : painter_(painter) { painter_.save(); }
        ~Saved() { painter_.restore(); }
        Saved(const Saved&) = delete;
        Saved& operator=(const Saved&) = delete;

    private:
        Painter& painter_;
    };
};

} // namespace zovo
