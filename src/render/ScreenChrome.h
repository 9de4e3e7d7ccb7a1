// What the screen shows besides windows: the wallpaper behind everything, the status bar (time,
// signal bars, battery) and the display's notch, drawn to the device profile's sizes.
//
//   zovo::ChromeLayout layout = zovo::chromeLayout(screen->device(), screen->bounds().size, zovo::ScreenOrientation::Portrait);
//   zovo::paintWallpaper(painter, layout.screen);
//   zovo::paintStatusBar(painter, layout, {});
//   zovo::paintNotch(painter, layout);
//
// Portrait: the status bar runs along the top, as tall as the profile says, with the time in
// the space left of the notch and the signal and battery glyphs right of it; the notch hangs
// from the middle of the top edge. Landscape, as on a phone held with the notch to the left:
// the status bar is hidden and the notch stands on the left edge, centred vertically.
#pragma once

#include "render/Painter.h"
#include "uikit/CGGeometry.h"
#include "uikit/CGPath.h"
#include "uikit/DeviceProfile.h"

#include <memory>
#include <string>

namespace zovo {

enum class ScreenOrientation { Portrait, Landscape };

// What the status bar reports. The time is shown as given; the phone's marketing images say 9:41.
struct StatusBarContent {
    std::string time = "9:41";
    int signalBars = 4;        // 0 to 4; values outside are clamped
    double batteryLevel = 1.0; // 0 to 1; values outside (and NaN, as 0) are clamped
    friend bool operator==(const StatusBarContent&, const StatusBarContent&) = default;
};

// Where the fixed features sit, in points, on a screen of a given size in its current
// orientation.
struct ChromeLayout {
    CGSize screen;
    ScreenOrientation orientation = ScreenOrientation::Portrait;
    CGRect statusBar; // zero when hidden
    CGRect notch;     // the cut-out's bounding rectangle; zero for a device without one
    bool island = false; // the cut-out is a pill apart from the edge, not a notch
    CGRect timeArea;  // where the time is centred
    CGRect glyphArea; // where the signal and battery glyphs are centred
    friend bool operator==(const ChromeLayout&, const ChromeLayout&) = default;
};

ChromeLayout chromeLayout(const DeviceProfile& device, CGSize screen, ScreenOrientation orientation);

// The notch's outline: a cut-out with rounded inner corners and small concave fillets where it
// meets the screen's edge, or for an island a pill. Empty for a layout without a cut-out.
CGPath notchPath(const ChromeLayout& layout);

// What is behind the windows. Dusk is the default: a gradient made here (no image files), dark
// enough at the top for white status-bar text to read; dark and light try a banner's contrast
// against either extreme; an image fills the screen (scaled, its edges kept).
struct Wallpaper {
    enum class Kind { Dusk, Dark, Light, Image } kind = Kind::Dusk;
    std::shared_ptr<const CGImage> image; // for Image
    friend bool operator==(const Wallpaper&, const Wallpaper&) = default;
};

// Depends only on the size and the wallpaper, so it can be kept between frames.
void paintWallpaper(Painter& painter, CGSize screen, const Wallpaper& wallpaper = {});
void paintStatusBar(Painter& painter, const ChromeLayout& layout, const StatusBarContent& content);
void paintNotch(Painter& painter, const ChromeLayout& layout);

} // namespace zovo
