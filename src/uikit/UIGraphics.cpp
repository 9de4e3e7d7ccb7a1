#include "uikit/UIGraphics.h"

#include "uikit/UIImage.h"
#include "uikit/UIScreen.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

// A Cairo image surface: ARGB32 (B, G, R, A bytes on the little-endian hosts this builds for;
// CGImage.cpp checks that) for ordinary contexts, RGB24 for opaque ones. The surface's device
// scale turns points into pixels, so every drawing works in points.
struct CGContext {
    CGContext(cairo_surface_t* s, double sc, std::size_t w, std::size_t h, bool o) : surface(s), scale(sc), width(w), height(h), opaque(o) {}
    ~CGContext() { cairo_surface_destroy(surface); }
    CGContext(const CGContext&) = delete;
    CGContext& operator=(const CGContext&) = delete;

    cairo_surface_t* surface;
    double scale;
    std::size_t width;
    std::size_t height;
    bool opaque;
    CGInterpolationQuality quality = kCGInterpolationDefault;
};

namespace {

// Null entries stand for Begins that could not make a bitmap; see the header.
thread_local std::vector<std::unique_ptr<CGContext>> contextStack;

// Point sides times the scale are rounded up, after forgiving the rounding noise of the
// multiplication so that 100.1 points at scale 10 make 1001 pixels, not 1002.
bool pixelSide(double points, double scale, std::size_t& pixels)
{
    const double exact = points * scale;
    if (!std::isfinite(exact) || !(exact > 0)) return false;
    const double rounded = std::ceil(exact - 1e-9 * std::max(1.0, exact));
    if (rounded > static_cast<double>(zovo::kMaxImageSide)) return false;
    pixels = static_cast<std::size_t>(std::max(1.0, rounded));
    return true;
}

std::unique_ptr<CGContext> makeContext(CGSize size, bool opaque, double scale)
{
    std::size_t width = 0, height = 0;
    if (!std::isfinite(scale) || !(scale > 0)) return nullptr;
    if (!pixelSide(size.width, scale, width) || !pixelSide(size.height, scale, height)) return nullptr;
    cairo_surface_t* surface =
        cairo_image_surface_create(opaque ? CAIRO_FORMAT_RGB24 : CAIRO_FORMAT_ARGB32, static_cast<int>(width), static_cast<int>(height));
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    cairo_surface_set_device_scale(surface, scale, scale);
    return std::make_unique<CGContext>(surface, scale, width, height, opaque);
}

cairo_operator_t operatorFor(CGBlendMode mode)
{
    switch (mode) {
    case kCGBlendModeMultiply: return CAIRO_OPERATOR_MULTIPLY;
    case kCGBlendModeScreen: return CAIRO_OPERATOR_SCREEN;
    case kCGBlendModeOverlay: return CAIRO_OPERATOR_OVERLAY;
    case kCGBlendModeDarken: return CAIRO_OPERATOR_DARKEN;
    case kCGBlendModeLighten: return CAIRO_OPERATOR_LIGHTEN;
    case kCGBlendModeColorDodge: return CAIRO_OPERATOR_COLOR_DODGE;
    case kCGBlendModeColorBurn: return CAIRO_OPERATOR_COLOR_BURN;
    case kCGBlendModeSoftLight: return CAIRO_OPERATOR_SOFT_LIGHT;
    case kCGBlendModeHardLight: return CAIRO_OPERATOR_HARD_LIGHT;
    case kCGBlendModeDifference: return CAIRO_OPERATOR_DIFFERENCE;
    case kCGBlendModeExclusion: return CAIRO_OPERATOR_EXCLUSION;
    case kCGBlendModeHue: return CAIRO_OPERATOR_HSL_HUE;
    case kCGBlendModeSaturation: return CAIRO_OPERATOR_HSL_SATURATION;
    case kCGBlendModeColor: return CAIRO_OPERATOR_HSL_COLOR;
    case kCGBlendModeLuminosity: return CAIRO_OPERATOR_HSL_LUMINOSITY;
    case kCGBlendModeClear: return CAIRO_OPERATOR_CLEAR;
    case kCGBlendModeCopy: return CAIRO_OPERATOR_SOURCE;
    case kCGBlendModeSourceIn: return CAIRO_OPERATOR_IN;
    case kCGBlendModeSourceOut: return CAIRO_OPERATOR_OUT;
    case kCGBlendModeSourceAtop: return CAIRO_OPERATOR_ATOP;
    case kCGBlendModeDestinationOver: return CAIRO_OPERATOR_DEST_OVER;
    case kCGBlendModeDestinationIn: return CAIRO_OPERATOR_DEST_IN;
    case kCGBlendModeDestinationOut: return CAIRO_OPERATOR_DEST_OUT;
    case kCGBlendModeDestinationAtop: return CAIRO_OPERATOR_DEST_ATOP;
    case kCGBlendModeXOR: return CAIRO_OPERATOR_XOR;
    case kCGBlendModePlusLighter: return CAIRO_OPERATOR_ADD;
    default: return CAIRO_OPERATOR_OVER;
    }
}

cairo_filter_t filterFor(CGInterpolationQuality quality)
{
    switch (quality) {
    case kCGInterpolationNone: return CAIRO_FILTER_NEAREST;
    case kCGInterpolationLow: return CAIRO_FILTER_BILINEAR;
    case kCGInterpolationHigh: return CAIRO_FILTER_BEST;
    // Medium, the default and unknown values: a box filter when shrinking, bilinear otherwise.
    default: return CAIRO_FILTER_GOOD;
    }
}

bool usableCoordinate(double v) { return std::isfinite(v) && std::fabs(v) <= 1e6; }

} // namespace

void UIGraphicsBeginImageContext(CGSize size) { UIGraphicsBeginImageContextWithOptions(size, false, 1.0); }

void UIGraphicsBeginImageContextWithOptions(CGSize size, bool opaque, double scale)
{
    if (scale == 0) scale = UIScreen::mainScreen()->scale();
    contextStack.push_back(makeContext(size, opaque, scale));
}

CGContextRef UIGraphicsGetCurrentContext() { return contextStack.empty() ? nullptr : contextStack.back().get(); }

void UIGraphicsEndImageContext()
{
    if (!contextStack.empty()) contextStack.pop_back();
}

objc::StrongRef<UIImage> UIGraphicsGetImageFromCurrentImageContext()
{
    CGContext* context = UIGraphicsGetCurrentContext();
    if (!context) return nullptr;
    cairo_surface_flush(context->surface);
    const std::uint8_t* data = cairo_image_surface_get_data(context->surface);
    const auto stride = static_cast<std::size_t>(cairo_image_surface_get_stride(context->surface));
    const std::size_t rowBytes = context->width * 4;
    std::vector<std::uint8_t> pixels(rowBytes * context->height);
    for (std::size_t y = 0; y < context->height; ++y) std::memcpy(pixels.data() + y * rowBytes, data + y * stride, rowBytes);
    if (context->opaque)
        for (std::size_t i = 3; i < pixels.size(); i += 4) pixels[i] = 255;
    auto image = CGImage::create(context->width, context->height, {zovo::ChannelOrder::BGRA, zovo::AlphaMode::Premultiplied}, std::move(pixels));
    return UIImage::imageWithCGImage(std::move(image), context->scale);
}

void CGContextSetInterpolationQuality(CGContextRef context, CGInterpolationQuality quality)
{
    if (context) context->quality = quality;
}

void* CGBitmapContextGetData(CGContextRef context)
{
    if (!context) return nullptr;
    cairo_surface_flush(context->surface);
    return cairo_image_surface_get_data(context->surface);
}

std::size_t CGBitmapContextGetWidth(CGContextRef context) { return context ? context->width : 0; }
std::size_t CGBitmapContextGetBytesPerRow(CGContextRef context)
{
    return context ? static_cast<std::size_t>(cairo_image_surface_get_stride(context->surface)) : 0;
}

namespace zovo {

void drawImage(CGContextRef context, CGImageRef image, CGRect rect, CGBlendMode mode, double alpha)
{
    if (!context || !image || image->width() == 0 || image->height() == 0) return;
    const double x = rect.origin.x, y = rect.origin.y, w = rect.size.width, h = rect.size.height;
    if (!usableCoordinate(x) || !usableCoordinate(y) || !usableCoordinate(w) || !usableCoordinate(h)) return;
    // Cairo leaks its source pattern when a scale underflows to a singular matrix; a rectangle
    // under a millionth of a point shows nothing anyway.
    if (!(w >= 1e-6) || !(h >= 1e-6)) return;
    alpha = std::isnan(alpha) ? 0.0 : std::clamp(alpha, 0.0, 1.0);

    using SurfacePtr = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;
    SurfacePtr source(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(image->width()), static_cast<int>(image->height())),
                      cairo_surface_destroy);
    if (cairo_surface_status(source.get()) != CAIRO_STATUS_SUCCESS) return;
    cairo_surface_flush(source.get());
    image->copyAsPremultipliedARGB32(cairo_image_surface_get_data(source.get()), static_cast<std::size_t>(cairo_image_surface_get_stride(source.get())));
    cairo_surface_mark_dirty(source.get());

    // Pixels written through CGBitmapContextGetData must be seen by this drawing.
    cairo_surface_mark_dirty(context->surface);
    // A drawing state of its own for each call: a degenerate transform puts only this one in an
    // error state, never the context.
    std::unique_ptr<cairo_t, decltype(&cairo_destroy)> cr(cairo_create(context->surface), cairo_destroy);
    cairo_rectangle(cr.get(), x, y, w, h);
    cairo_clip(cr.get());
    cairo_translate(cr.get(), x, y);
    cairo_scale(cr.get(), w / static_cast<double>(image->width()), h / static_cast<double>(image->height()));
    cairo_set_source_surface(cr.get(), source.get(), 0, 0);
    cairo_pattern_t* pattern = cairo_get_source(cr.get());
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
    cairo_pattern_set_filter(pattern, filterFor(context->quality));
    cairo_set_operator(cr.get(), operatorFor(mode));
    cairo_paint_with_alpha(cr.get(), alpha);
    cr.reset();
    cairo_surface_flush(context->surface);
}

std::size_t imageContextDepth() { return contextStack.size(); }

} // namespace zovo
