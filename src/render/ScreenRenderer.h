// Draws the simulated screen as it is at this moment of the run loop's clock.
//
//   zovo::Frame now = zovo::renderScreen();                      // the main screen, at its scale
//   process.mainRunLoop().advance(0.15);                         // halfway through a slide
//   zovo::Frame later = zovo::renderScreen({.scale = 1});        // smaller frames for an animation
//   zovo::writeFramePNG(later, "/tmp/frame-001.png");
//
// A frame is composed back to front: the wallpaper; the windows below the status bar's level;
// the status bar; the windows at or above its level (the banner above the status bar covers it);
// and the notch over everything, as the hardware is. Windows are drawn in the screen's order
// (level, then the order they were shown), each by its presentation values (zovo::paintView).
// Frames are width × scale by height × scale pixels, rounded up, in the screen's current
// orientation: a 390 × 844 point screen at scale 3 is 1170 × 2532 pixels.
//
// What does not change between frames (the wallpaper, the status bar, the notch) is drawn once
// into bitmaps kept by the renderer and copied into each frame; a kept bitmap is redrawn when
// what it shows changes (size, scale, orientation, device, status-bar content).
//
// Drawing into a frame that still holds the last frame this renderer drew into it (nothing has
// written to it since: see Frame::version), with the same options, redraws only the pixels that
// can have changed: the box around every drawing that differs from the last frame's (a view that
// moved, resized, changed its look, came or went; a window that moved or changed level), over
// the kept wallpaper, clipped to that box. The frame comes out pixel for pixel as a full redraw
// would make it; a frame where nothing changed is not touched at all.
#pragma once

#include "render/CairoPainter.h"
#include "render/Frame.h"
#include "render/PaintLog.h"
#include "render/Painter.h"
#include "render/ScreenChrome.h"
#include "uikit/Forward.h"

#include <cstdint>
#include <optional>

namespace zovo {

struct RenderOptions {
    // The screen to draw; null: the current process's main screen.
    UIScreen* screen = nullptr;
    // Pixels per point; 0: the device's own scale. Must otherwise be a positive finite number.
    double scale = 0;
    StatusBarContent statusBar;
    bool showWallpaper = true; // without it the screen behind the windows is black
    Wallpaper wallpaper;
    bool showStatusBar = true; // in portrait; the phone hides it in landscape
    bool showNotch = true;
};

class ScreenRenderer {
public:
    ScreenRenderer();
    ~ScreenRenderer();
    ScreenRenderer(const ScreenRenderer&) = delete;
    ScreenRenderer& operator=(const ScreenRenderer&) = delete;

    // Throws std::invalid_argument naming the problem for a scale that is not a positive finite
    // number or a frame that would be empty or larger than kMaxImageSide pixels a side.
    Frame render(const RenderOptions& options = {});
    // Draws into `frame`, reusing its pixels when the size is unchanged: the way to make many
    // frames without allocating a screenful of memory for each. Returns the pixels it changed:
    // the whole frame, only what changed since the last frame, or nothing.
    PixelRect render(Frame& frame, const RenderOptions& options = {});

    // Forgets the last frame: the next one is drawn in full.
    void invalidate();

private:
    struct Piece;
    // What the last frame was drawn with; a frame is only ever brought up to date from one drawn
    // with the same.
    struct Drawn {
        UIScreen* screen;
        double scale;
        int width, height;
        ChromeLayout layout;
        StatusBarContent statusBar;
        bool showWallpaper, showStatusBar, showNotch;
        std::uint64_t frameVersion = 0;
        Wallpaper wallpaper; // what lies beneath every changed pixel
        friend bool operator==(const Drawn&, const Drawn&) = default;
    };
    // `wallpaperCopied`: the frame already holds the wallpaper.
    void paintScreen(Painter& painter, UIScreen& screen, const ChromeLayout& layout, double scale, const RenderOptions& options, bool wallpaperCopied);
    const Frame* wallpaper(int width, int height, double scale, const Wallpaper& wallpaper);
    const Piece* statusBar(const ChromeLayout& layout, const StatusBarContent& content, double scale);
    const Piece* notch(const ChromeLayout& layout, double scale);

    ImageSurfaceCache images_;
    std::optional<Frame> wallpaper_;
    Wallpaper wallpaperKept_; // what wallpaper_ shows
    std::unique_ptr<Piece> statusBar_;
    std::unique_ptr<Piece> notch_;
    // What the last frame drew, and the log the next frame is drawn into before it is compared.
    PaintLog lastLog_{1, 1, 1};
    PaintLog nextLog_{1, 1, 1};
    std::optional<Drawn> last_;
};

// Renders with a renderer that belongs to the current process and keeps its bitmaps between
// calls. Throws as ScreenRenderer::render does, and objc::RuntimeError without a process.
Frame renderScreen(const RenderOptions& options = {});
PixelRect renderScreen(Frame& frame, const RenderOptions& options = {});

// The pixel size of a frame of `points` at `scale`: each side rounded up, after forgiving the
// rounding noise of the multiplication.
int framePixels(double points, double scale);

} // namespace zovo
