#include "render/CairoPainter.h"

#include "render/Frame.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <unordered_map>

namespace zovo {

namespace {

// Entries the image cache keeps before it starts over. A screen shows a handful of images; a
// scenario that makes a new one each frame must not grow the cache without bound.
constexpr std::size_t kMaxCachedImages = 256;

bool drawable(const CGRect& r) { return paintable(r) && r.size.width > 0 && r.size.height > 0; }

double unit(double v) { return std::isnan(v) ? 0.0 : std::clamp(v, 0.0, 1.0); }

double clampedRadius(const CGRect& r, double radius)
{
    if (!(radius > 0)) return 0;
    return std::min(radius, std::min(r.size.width, r.size.height) / 2);
}

void roundedRectPath(cairo_t* cr, const CGRect& r, double radius)
{
    cairo_new_path(cr);
    radius = clampedRadius(r, radius);
    if (radius <= 0) {
        cairo_rectangle(cr, r.origin.x, r.origin.y, r.size.width, r.size.height);
        return;
    }
    const double x0 = r.origin.x, y0 = r.origin.y, x1 = x0 + r.size.width, y1 = y0 + r.size.height;
    constexpr double pi = std::numbers::pi;
    cairo_new_sub_path(cr);
    cairo_arc(cr, x1 - radius, y0 + radius, radius, -pi / 2, 0);
    cairo_arc(cr, x1 - radius, y1 - radius, radius, 0, pi / 2);
    cairo_arc(cr, x0 + radius, y1 - radius, radius, pi / 2, pi);
    cairo_arc(cr, x0 + radius, y0 + radius, radius, pi, 3 * pi / 2);
    cairo_close_path(cr);
}

void pathOf(cairo_t* cr, const CGPath& path)
{
    cairo_new_path(cr);
    for (const CGPathElement& e : path.elements) {
        switch (e.type) {
        case CGPathElement::Type::MoveTo: cairo_move_to(cr, e.points[0].x, e.points[0].y); break;
        case CGPathElement::Type::LineTo: cairo_line_to(cr, e.points[0].x, e.points[0].y); break;
        case CGPathElement::Type::CurveTo:
            cairo_curve_to(cr, e.points[0].x, e.points[0].y, e.points[1].x, e.points[1].y, e.points[2].x, e.points[2].y);
            break;
        case CGPathElement::Type::Close: cairo_close_path(cr); break;
        }
    }
}

using Surface = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;

Surface surfaceFor(const CGImage& image)
{
    Surface surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(image.width()), static_cast<int>(image.height())),
                    cairo_surface_destroy);
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return Surface(nullptr, cairo_surface_destroy);
    cairo_surface_flush(surface.get());
    image.copyAsPremultipliedARGB32(cairo_image_surface_get_data(surface.get()), static_cast<std::size_t>(cairo_image_surface_get_stride(surface.get())));
    cairo_surface_mark_dirty(surface.get());
    return surface;
}

// A Cairo surface over a frame's pixels, without copying them. Cairo only reads a source, so
// handing it the const frame's bytes is safe.
Surface wrap(const Frame& frame)
{
    return Surface(cairo_image_surface_create_for_data(const_cast<std::uint8_t*>(frame.data()), CAIRO_FORMAT_ARGB32, frame.width(),
                                                       frame.height(), static_cast<int>(frame.stride())),
                   cairo_surface_destroy);
}

// Copies `surface`, unfiltered, onto the device pixels from (x, y), a whole-pixel corner.
void copyToWholePixels(cairo_t* cr, cairo_surface_t* surface, double x, double y, double width, double height)
{
    cairo_save(cr);
    cairo_identity_matrix(cr);
    cairo_set_source_surface(cr, surface, x, y);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_new_path(cr);
    cairo_rectangle(cr, x, y, width, height);
    cairo_fill(cr);
    cairo_restore(cr);
}

} // namespace

// ---- ImageSurfaceCache -------------------------------------------------------------------------

struct ImageSurfaceCache::Impl {
    struct Entry {
        std::weak_ptr<const CGImage> image;
        Surface surface;
    };
    std::unordered_map<const CGImage*, Entry> entries;

    // Images already scaled to the pixels they cover on screen (an icon of 180 pixels shown at
    // 60 points and 3x), so that the filter runs once per image and size, not once a frame.
    struct ScaledKey {
        const CGImage* image;
        int width, height;
        friend bool operator==(const ScaledKey&, const ScaledKey&) = default;
    };
    struct ScaledKeyHash {
        std::size_t operator()(const ScaledKey& k) const
        {
            return std::hash<const void*>()(k.image) ^ (static_cast<std::size_t>(k.width) * 0x9E3779B1u) ^ (static_cast<std::size_t>(k.height) << 20);
        }
    };
    std::unordered_map<ScaledKey, Entry, ScaledKeyHash> scaled;

    // Images scaled and clipped to rounded corners (app icons), keyed by size and radius in
    // pixels. Kept only for images at whole-pixel positions, where the clip's antialiased edge
    // falls on the same fractions of pixels wherever the image is drawn.
    struct RoundedKey {
        const CGImage* image;
        int width, height;
        double radius;
        friend bool operator==(const RoundedKey&, const RoundedKey&) = default;
    };
    struct RoundedKeyHash {
        std::size_t operator()(const RoundedKey& k) const
        {
            return ScaledKeyHash()({k.image, k.width, k.height}) ^ std::hash<double>()(k.radius);
        }
    };
    std::unordered_map<RoundedKey, Entry, RoundedKeyHash> rounded;

    cairo_surface_t* scaledSurfaceFor(const std::shared_ptr<const CGImage>& image, int width, int height)
    {
        const ScaledKey key{image.get(), width, height};
        auto it = scaled.find(key);
        if (it != scaled.end() && it->second.image.lock() == image) return it->second.surface.get();
        if (it != scaled.end()) scaled.erase(it);
        cairo_surface_t* source = surfaceFor(image);
        if (!source) return nullptr;
        if (scaled.size() >= kMaxCachedImages) scaled.clear();
        Surface surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height), cairo_surface_destroy);
        if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
        cairo_t* cr = cairo_create(surface.get());
        cairo_pattern_t* pattern = cairo_pattern_create_for_surface(source);
        cairo_matrix_t matrix;
        cairo_matrix_init_scale(&matrix, static_cast<double>(image->width()) / width, static_cast<double>(image->height()) / height);
        cairo_pattern_set_matrix(pattern, &matrix);
        // The same filter and edges as drawing the image in place.
        cairo_pattern_set_filter(pattern, CAIRO_FILTER_GOOD);
        cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
        cairo_set_source(cr, pattern);
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_paint(cr);
        cairo_pattern_destroy(pattern);
        cairo_destroy(cr);
        cairo_surface_flush(surface.get());
        cairo_surface_t* raw = surface.get();
        scaled.emplace(key, Entry{image, std::move(surface)});
        return raw;
    }

    cairo_surface_t* surfaceFor(const std::shared_ptr<const CGImage>& image)
    {
        auto it = entries.find(image.get());
        // A different image at the address of one that has ended is a miss, not a hit.
        if (it != entries.end() && it->second.image.lock() == image) return it->second.surface.get();
        if (it != entries.end()) entries.erase(it);
        if (entries.size() >= kMaxCachedImages) entries.clear();
        Surface surface = zovo::surfaceFor(*image);
        if (!surface) return nullptr;
        cairo_surface_t* raw = surface.get();
        entries.emplace(image.get(), Entry{image, std::move(surface)});
        return raw;
    }
};

ImageSurfaceCache::ImageSurfaceCache() : impl_(std::make_unique<Impl>()) {}
ImageSurfaceCache::~ImageSurfaceCache() = default;
std::size_t ImageSurfaceCache::size() const { return impl_->entries.size(); }
void ImageSurfaceCache::clear()
{
    impl_->entries.clear();
    impl_->scaled.clear();
    impl_->rounded.clear();
}

void ImageSurfaceCache::sweep()
{
    std::erase_if(impl_->entries, [](const auto& item) { return item.second.image.expired(); });
    std::erase_if(impl_->scaled, [](const auto& item) { return item.second.image.expired(); });
    std::erase_if(impl_->rounded, [](const auto& item) { return item.second.image.expired(); });
}

// ---- CairoPainter ------------------------------------------------------------------------------

struct CairoPainter::Impl {
    Impl(Frame& frame, ImageSurfaceCache* cache)
        : target(frame)
        , images(cache)
        , surface(cairo_image_surface_create_for_data(frame.data(), CAIRO_FORMAT_ARGB32, frame.width(), frame.height(),
                                                      static_cast<int>(frame.stride())),
                  cairo_surface_destroy)
        , cr(cairo_create(surface.get()), cairo_destroy)
    {
        // The scale is part of the user-space matrix rather than the surface's device scale, so
        // that the text layout, which reads the context's matrix, lays glyphs out for the pixels
        // they land on.
        cairo_scale(cr.get(), frame.scale(), frame.scale());
    }

    bool ok() const { return cairo_status(cr.get()) == CAIRO_STATUS_SUCCESS; }

    // Whether the clip leaves nothing of `rect` (current coordinates) to draw. A frame brought up
    // to date in a small region skips the drawings elsewhere before they cost anything: laying
    // text out, above all.
    bool clippedAway(const CGRect& rect) const
    {
        double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
        cairo_clip_extents(cr.get(), &x0, &y0, &x1, &y1);
        return !(rect.origin.x < x1 && rect.origin.x + rect.size.width > x0 && rect.origin.y < y1 && rect.origin.y + rect.size.height > y0);
    }

    void fill(RGBA colour)
    {
        cairo_set_source_rgba(cr.get(), unit(colour.red), unit(colour.green), unit(colour.blue), unit(colour.alpha));
        cairo_fill(cr.get());
    }

    Frame& target;
    ImageSurfaceCache* images;
    Surface surface;
    std::unique_ptr<cairo_t, decltype(&cairo_destroy)> cr;
};

CairoPainter::CairoPainter(Frame& target, ImageSurfaceCache* images) : impl_(std::make_unique<Impl>(target, images)) {}

CairoPainter::~CairoPainter()
{
    impl_->cr.reset();
    cairo_surface_flush(impl_->surface.get());
}

bool CairoPainter::ok() const { return impl_->ok(); }

void CairoPainter::save() { cairo_save(impl_->cr.get()); }
void CairoPainter::restore() { cairo_restore(impl_->cr.get()); }

void CairoPainter::translate(double dx, double dy)
{
    if (paintable(dx) && paintable(dy)) cairo_translate(impl_->cr.get(), dx, dy);
}

void CairoPainter::clipToRect(CGRect rect) { clipToRoundedRect(rect, 0); }

void CairoPainter::clipToRoundedRect(CGRect rect, double radius)
{
    cairo_t* cr = impl_->cr.get();
    if (!drawable(rect)) {
        // An empty or unusable shape clips everything away, as an empty mask would.
        cairo_new_path(cr);
        cairo_rectangle(cr, 0, 0, 0, 0);
        cairo_clip(cr);
        return;
    }
    roundedRectPath(cr, rect, radius);
    cairo_clip(cr);
}

void CairoPainter::clipToPath(const CGPath& path)
{
    cairo_t* cr = impl_->cr.get();
    if (!paintable(path)) {
        cairo_new_path(cr);
        cairo_rectangle(cr, 0, 0, 0, 0);
        cairo_clip(cr);
        return;
    }
    pathOf(cr, path);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    cairo_clip(cr);
}

void CairoPainter::clipToPixels(const PixelRect& pixels)
{
    cairo_t* cr = impl_->cr.get();
    cairo_matrix_t m;
    cairo_get_matrix(cr, &m);
    // In device space, where the rectangle's edges fall exactly on pixel boundaries.
    cairo_identity_matrix(cr);
    cairo_new_path(cr);
    cairo_rectangle(cr, pixels.x, pixels.y, std::max(0, pixels.width), std::max(0, pixels.height));
    cairo_clip(cr);
    cairo_set_matrix(cr, &m);
}

CGRect CairoPainter::clipBounds() const
{
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    cairo_clip_extents(impl_->cr.get(), &x0, &y0, &x1, &y1);
    if (!(x1 > x0) || !(y1 > y0)) return CGRectZero;
    return CGRectMake(x0, y0, x1 - x0, y1 - y0);
}

void CairoPainter::fillRect(CGRect rect, RGBA colour) { fillRoundedRect(rect, 0, colour); }

void CairoPainter::fillRoundedRect(CGRect rect, double radius, RGBA colour)
{
    if (!drawable(rect) || !(colour.alpha > 0) || impl_->clippedAway(rect)) return;
    roundedRectPath(impl_->cr.get(), rect, radius);
    impl_->fill(colour);
}

void CairoPainter::fillPath(const CGPath& path, RGBA colour)
{
    if (!paintable(path) || !(colour.alpha > 0)) return;
    pathOf(impl_->cr.get(), path);
    cairo_set_fill_rule(impl_->cr.get(), CAIRO_FILL_RULE_WINDING);
    impl_->fill(colour);
}

void CairoPainter::fillRectWithLinearGradient(CGRect rect, CGPoint start, CGPoint end, std::span<const GradientStop> stops)
{
    if (!drawable(rect) || !paintable(start) || !paintable(end) || stops.empty()) return;
    cairo_t* cr = impl_->cr.get();
    cairo_pattern_t* gradient = cairo_pattern_create_linear(start.x, start.y, end.x, end.y);
    for (const GradientStop& stop : stops) {
        const RGBA& c = stop.colour;
        cairo_pattern_add_color_stop_rgba(gradient, unit(stop.offset), unit(c.red), unit(c.green), unit(c.blue), unit(c.alpha));
    }
    cairo_pattern_set_extend(gradient, CAIRO_EXTEND_PAD);
    cairo_new_path(cr);
    cairo_rectangle(cr, rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
    cairo_set_source(cr, gradient);
    cairo_fill(cr);
    cairo_pattern_destroy(gradient);
}

bool CairoPainter::drawPrescaledImage(const std::shared_ptr<const CGImage>& image, CGRect rect)
{
    // Only where the transformation is a plain scale and offset and the image covers whole
    // pixels at a whole-pixel offset; anything else is drawn in place.
    cairo_t* cr = impl_->cr.get();
    cairo_matrix_t m;
    cairo_get_matrix(cr, &m);
    if (m.xy != 0 || m.yx != 0 || !(m.xx > 0) || !(m.yy > 0)) return false;
    const double width = rect.size.width * m.xx, height = rect.size.height * m.yy;
    const double wholeWidth = std::round(width), wholeHeight = std::round(height);
    if (std::abs(width - wholeWidth) > 1e-6 || std::abs(height - wholeHeight) > 1e-6 || wholeWidth < 1 || wholeHeight < 1 || wholeWidth > 4096 ||
        wholeHeight > 4096)
        return false;
    cairo_surface_t* source = impl_->images->impl_->scaledSurfaceFor(image, static_cast<int>(wholeWidth), static_cast<int>(wholeHeight));
    if (!source) return false;
    double x = rect.origin.x, y = rect.origin.y;
    cairo_user_to_device(cr, &x, &y);
    // Only at whole-pixel offsets are the scaled pixels the ones filtering in place would give;
    // an image between pixels (one sliding in) is drawn in place.
    if (std::abs(x - std::round(x)) > 1e-6 || std::abs(y - std::round(y)) > 1e-6) return false;
    x = std::round(x);
    y = std::round(y);
    copyToWholePixels(cr, source, x, y, wholeWidth, wholeHeight);
    return true;
}

void CairoPainter::drawImageInRoundedRect(const std::shared_ptr<const CGImage>& image, CGRect rect, double radius)
{
    if (!image || image->width() == 0 || image->height() == 0 || !drawable(rect) || impl_->clippedAway(rect)) return;
    cairo_t* cr = impl_->cr.get();
    cairo_matrix_t m;
    cairo_get_matrix(cr, &m);
    double x = rect.origin.x, y = rect.origin.y;
    cairo_user_to_device(cr, &x, &y);
    const double width = rect.size.width * m.xx, height = rect.size.height * m.yy;
    auto whole = [](double v) { return std::abs(v - std::round(v)) <= 1e-6; };
    const bool cacheable = impl_->images && m.xy == 0 && m.yx == 0 && m.xx > 0 && m.yy > 0 && whole(x) && whole(y) && whole(width) &&
                           whole(height) && width >= 1 && height >= 1 && width <= 4096 && height <= 4096 && std::isfinite(radius);
    if (!cacheable) {
        Painter::drawImageInRoundedRect(image, rect, radius);
        return;
    }
    const int w = static_cast<int>(std::round(width)), h = static_cast<int>(std::round(height));
    x = std::round(x);
    y = std::round(y);

    ImageSurfaceCache::Impl& cache = *impl_->images->impl_;
    const ImageSurfaceCache::Impl::RoundedKey key{image.get(), w, h, radius * m.xx};
    cairo_surface_t* clipped = nullptr;
    if (auto it = cache.rounded.find(key); it != cache.rounded.end() && it->second.image.lock() == image) clipped = it->second.surface.get();
    if (!clipped) {
        cache.rounded.erase(key);
        if (cache.rounded.size() >= kMaxCachedImages) cache.rounded.clear();
        Surface surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h), cairo_surface_destroy);
        if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return;
        {
            // Drawn exactly as into the frame, shifted by whole pixels to the surface's corner.
            cairo_t* inner = cairo_create(surface.get());
            cairo_matrix_t shifted = m;
            shifted.x0 -= x;
            shifted.y0 -= y;
            cairo_set_matrix(inner, &shifted);
            roundedRectPath(inner, rect, radius);
            cairo_clip(inner);
            cairo_surface_t* scaled = cache.scaledSurfaceFor(image, w, h);
            if (scaled) {
                copyToWholePixels(inner, scaled, 0, 0, w, h);
            }
            cairo_destroy(inner);
            cairo_surface_flush(surface.get());
            if (!scaled) return;
        }
        clipped = surface.get();
        cache.rounded.emplace(key, ImageSurfaceCache::Impl::Entry{image, std::move(surface)});
    }
    copyToWholePixels(cr, clipped, x, y, w, h);
}

void CairoPainter::drawImage(const std::shared_ptr<const CGImage>& image, CGRect rect)
{
    if (!image || image->width() == 0 || image->height() == 0 || !drawable(rect) || impl_->clippedAway(rect)) return;
    if (impl_->images && drawPrescaledImage(image, rect)) return;
    Surface owned(nullptr, cairo_surface_destroy);
    cairo_surface_t* source = nullptr;
    if (impl_->images) {
        source = impl_->images->impl_->surfaceFor(image);
    } else {
        owned = surfaceFor(*image);
        source = owned.get();
    }
    if (!source) return;

    cairo_t* cr = impl_->cr.get();
    cairo_save(cr);
    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(source);
    // The pattern maps the rectangle onto the image's pixels.
    cairo_matrix_t matrix;
    cairo_matrix_init_scale(&matrix, static_cast<double>(image->width()) / rect.size.width, static_cast<double>(image->height()) / rect.size.height);
    cairo_matrix_translate(&matrix, -rect.origin.x, -rect.origin.y);
    cairo_pattern_set_matrix(pattern, &matrix);
    // A box filter when shrinking (an app icon of 180 pixels into 60), bilinear when growing.
    cairo_pattern_set_filter(pattern, CAIRO_FILTER_GOOD);
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
    cairo_set_source(cr, pattern);
    cairo_new_path(cr);
    cairo_rectangle(cr, rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
    cairo_fill(cr);
    cairo_pattern_destroy(pattern);
    cairo_restore(cr);
}

void CairoPainter::drawText(std::string_view text, const TextStyle& style, CGRect rect)
{
    if (!drawable(rect) || impl_->clippedAway(rect)) return;
    zovo::drawText(impl_->cr.get(), text, style, rect);
}

void CairoPainter::drawBitmap(const Frame& bitmap, CGPoint origin, BitmapBlend blend)
{
    if (bitmap.empty() || !paintable(origin) || bitmap.scale() != impl_->target.scale()) return;
    Surface source = wrap(bitmap);
    if (cairo_surface_status(source.get()) != CAIRO_STATUS_SUCCESS) return;
    cairo_t* cr = impl_->cr.get();
    double x = origin.x, y = origin.y;
    cairo_user_to_device(cr, &x, &y);
    x = std::round(x);
    y = std::round(y);
    cairo_save(cr);
    // Device space: one unit is one pixel, so the copy is exact.
    cairo_identity_matrix(cr);
    cairo_set_source_surface(cr, source.get(), x, y);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_set_operator(cr, blend == BitmapBlend::Replace ? CAIRO_OPERATOR_SOURCE : CAIRO_OPERATOR_OVER);
    cairo_new_path(cr);
    cairo_rectangle(cr, x, y, bitmap.width(), bitmap.height());
    cairo_fill(cr);
    cairo_restore(cr);
}

void CairoPainter::beginGroup() { cairo_push_group(impl_->cr.get()); }

void CairoPainter::endGroup(double alpha)
{
    cairo_t* cr = impl_->cr.get();
    cairo_pop_group_to_source(cr);
    cairo_paint_with_alpha(cr, unit(alpha));
}

} // namespace zovo
