#include "render/ScreenRenderer.h"

#include "foundation/Process.h"
#include "render/ViewPainting.h"
#include "uikit/UIScreen.h"
#include "uikit/UIWindow.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <string>

namespace zovo {

// A kept bitmap and what it was drawn for. The bitmap covers whole pixels around its area, and
// `origin` (points) is where its top-left pixel belongs on the screen.
struct ScreenRenderer::Piece {
    ChromeLayout layout;
    StatusBarContent content;
    double scale = 0;
    std::optional<Frame> bitmap; // none when the area is empty
    CGPoint origin;
};

namespace {

std::string number(double v)
{
    std::string s = std::to_string(v);
    // Trailing zeros say nothing here: "3.000000" reads better as "3".
    if (s.find('.') != std::string::npos) {
        s.erase(s.find_last_not_of('0') + 1);
        if (s.back() == '.') s.pop_back();
    }
    return s;
}

// Draws `paint` into a new bitmap that covers `area` (points) in whole pixels, placed so that
// copying it to `origin` puts every pixel exactly where drawing straight into the frame would.
template <class Paint>
void drawPiece(std::optional<Frame>& bitmap, CGPoint& origin, CGRect area, double scale, Paint paint)
{
    bitmap.reset();
    origin = CGPointMake(0, 0);
    if (!(area.size.width > 0) || !(area.size.height > 0)) return;
    const double x0 = std::floor(area.origin.x * scale), y0 = std::floor(area.origin.y * scale);
    const double x1 = std::ceil(CGRectGetMaxX(area) * scale), y1 = std::ceil(CGRectGetMaxY(area) * scale);
    bitmap.emplace(static_cast<int>(x1 - x0), static_cast<int>(y1 - y0), scale);
    origin = CGPointMake(x0 / scale, y0 / scale);
    CairoPainter painter(*bitmap);
    painter.translate(-origin.x, -origin.y);
    paint(painter);
}

} // namespace

int framePixels(double points, double scale)
{
    const double exact = points * scale;
    if (!std::isfinite(exact) || !(exact > 0)) return 0;
    const double rounded = std::ceil(exact - 1e-9 * std::max(1.0, exact));
    if (rounded > static_cast<double>(kMaxImageSide)) return 0;
    return static_cast<int>(std::max(1.0, rounded));
}

ScreenRenderer::ScreenRenderer() = default;
ScreenRenderer::~ScreenRenderer() = default;

Frame ScreenRenderer::render(const RenderOptions& options)
{
    Frame frame;
    render(frame, options);
    return frame;
}

PixelRect ScreenRenderer::render(Frame& frame, const RenderOptions& options)
{
    UIScreen* screen = options.screen ? options.screen : UIScreen::mainScreen();
    const double scale = options.scale == 0 ? screen->scale() : options.scale;
    // The command line checks the scale first; a bad one here is a broken caller, so it throws.
    if (!std::isfinite(scale) || !(scale > 0))
        throw std::invalid_argument("render: scale " + number(scale) + " is not a positive number");
    const CGSize size = screen->bounds().size;
    const int width = framePixels(size.width, scale);
    const int height = framePixels(size.height, scale);
    if (width == 0 || height == 0)
        throw std::invalid_argument("render: a screen of " + number(size.width) + " x " + number(size.height) + " points at scale " +
                                    number(scale) + " makes no frame of 1 to " + std::to_string(kMaxImageSide) + " pixels a side");

    const ScreenOrientation orientation =
        screen->orientation() == UIScreen::Orientation::Landscape ? ScreenOrientation::Landscape : ScreenOrientation::Portrait;
    const ChromeLayout layout = chromeLayout(screen->device(), size, orientation);
    Drawn drawn{screen, scale, width, height, layout, options.statusBar, options.showWallpaper, options.showStatusBar, options.showNotch, frame.version(),
                options.wallpaper};

    // What this frame draws, logged without drawing, to compare with what the last one drew.
    nextLog_.restart(scale, width, height);
    paintScreen(nextLog_, *screen, layout, scale, options, true);
    const bool upToDate = last_ && *last_ == drawn && frame.width() == width && frame.height() == height && frame.scale() == scale;
    const PixelRect whole{0, 0, width, height};
    const PixelRect changed = upToDate ? nextLog_.changedSince(lastLog_) : whole;
    std::swap(lastLog_, nextLog_);
    if (changed.empty()) {
        // Nothing changed: the frame already shows this moment, and stays untouched.
        images_.sweep();
        return changed;
    }

    frame.reset(width, height, scale);
    // The wallpaper replaces every pixel; without it a reused frame's old pixels must go first.
    if (!options.showWallpaper && changed == whole) frame.clear();
    // The kept wallpaper has the frame's exact layout: what lies beneath the changed pixels is
    // copied in as plain memory, the cheapest way to replace them.
    bool wallpaperCopied = false;
    if (options.showWallpaper) {
        const Frame& kept = *wallpaper(width, height, scale, options.wallpaper);
        wallpaperCopied = kept.stride() == frame.stride() && kept.byteCount() == frame.byteCount();
        if (wallpaperCopied) {
            std::uint8_t* to = frame.data();
            if (changed == whole) {
                std::memcpy(to, kept.data(), frame.byteCount());
            } else {
                const std::size_t offset = static_cast<std::size_t>(changed.x) * 4, length = static_cast<std::size_t>(changed.width) * 4;
                for (int y = changed.y; y < changed.y + changed.height; ++y) {
                    const std::size_t row = static_cast<std::size_t>(y) * frame.stride() + offset;
                    std::memcpy(to + row, kept.data() + row, length);
                }
            }
        }
    }
    {
        CairoPainter painter(frame, &images_);
        if (changed != whole) painter.clipToPixels(changed);
        paintScreen(painter, *screen, layout, scale, options, wallpaperCopied);
    }
    images_.sweep();
    drawn.frameVersion = frame.version();
    last_ = drawn;
    return changed;
}

void ScreenRenderer::invalidate() { last_.reset(); }

void ScreenRenderer::paintScreen(Painter& painter, UIScreen& screen, const ChromeLayout& layout, double scale, const RenderOptions& options,
                                 bool wallpaperCopied)
{
    // The background covers every pixel, including a last row or column that a fractional size
    // only partly covers, so the frame is opaque everywhere.
    const int width = framePixels(layout.screen.width, scale), height = framePixels(layout.screen.height, scale);
    if (options.showWallpaper) {
        if (!wallpaperCopied) painter.drawBitmap(*wallpaper(width, height, scale, options.wallpaper), CGPointMake(0, 0), BitmapBlend::Replace);
    } else
        painter.fillRect(CGRectMake(0, 0, width / scale, height / scale), RGBA{0, 0, 0, 1});

    const Piece* bar = options.showStatusBar ? statusBar(layout, options.statusBar, scale) : nullptr;
    bool barDrawn = false;
    auto drawBar = [&] {
        if (bar && bar->bitmap) painter.drawBitmap(*bar->bitmap, bar->origin, BitmapBlend::Over);
        barDrawn = true;
    };
    // The status bar is a window of its own level on the phone, shown at launch: windows of the
    // same level, shown later, are in front of it.
    for (UIWindow* window : screen.visibleWindows()) {
        if (!barDrawn && window->windowLevel() >= UIWindowLevelStatusBar) drawBar();
        paintView(painter, *window);
    }
    if (!barDrawn) drawBar();

    if (options.showNotch) {
        const Piece* cutOut = notch(layout, scale);
        if (cutOut->bitmap) painter.drawBitmap(*cutOut->bitmap, cutOut->origin, BitmapBlend::Over);
    }
}

const Frame* ScreenRenderer::wallpaper(int width, int height, double scale, const Wallpaper& wallpaper)
{
    if (wallpaper_ && wallpaper_->width() == width && wallpaper_->height() == height && wallpaper_->scale() == scale && wallpaperKept_ == wallpaper)
        return &*wallpaper_;
    wallpaper_.emplace(width, height, scale);
    wallpaperKept_ = wallpaper;
    {
        CairoPainter painter(*wallpaper_);
        paintWallpaper(painter, CGSizeMake(width / scale, height / scale), wallpaper);
    }
    return &*wallpaper_;
}

const ScreenRenderer::Piece* ScreenRenderer::statusBar(const ChromeLayout& layout, const StatusBarContent& content, double scale)
{
    if (statusBar_ && statusBar_->layout == layout && statusBar_->content == content && statusBar_->scale == scale) return statusBar_.get();
    if (!statusBar_) statusBar_ = std::make_unique<Piece>();
    Piece& piece = *statusBar_;
    piece.layout = layout;
    piece.content = content;
    piece.scale = scale;
    drawPiece(piece.bitmap, piece.origin, layout.statusBar, scale, [&](Painter& painter) { paintStatusBar(painter, layout, content); });
    return &piece;
}

const ScreenRenderer::Piece* ScreenRenderer::notch(const ChromeLayout& layout, double scale)
{
    if (notch_ && notch_->layout == layout && notch_->scale == scale) return notch_.get();
    if (!notch_) notch_ = std::make_unique<Piece>();
    Piece& piece = *notch_;
    piece.layout = layout;
    piece.scale = scale;
    const CGPath outline = notchPath(layout);
    // The fillets reach a little beyond the cut-out's rectangle; the outline's box holds them.
    drawPiece(piece.bitmap, piece.origin, outline.boundingBox(), scale, [&](Painter& painter) { paintNotch(painter, layout); });
    return &piece;
}

Frame renderScreen(const RenderOptions& options) { return Process::current().local<ScreenRenderer>().render(options); }

PixelRect renderScreen(Frame& frame, const RenderOptions& options) { return Process::current().local<ScreenRenderer>().render(frame, options); }

} // namespace zovo
