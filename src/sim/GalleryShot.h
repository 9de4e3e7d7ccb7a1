// The gallery's engine: one banner at rest on one device, in a fresh process, drawn as the
// contact sheet shows it.
//
//   ErrorOr<GalleryShot> shot = renderGalleryShot({.device = profile, .title = "Anna", .message = "Lunch?"});
//   if (!shot) report(shot.error());
//   writeFramePNG(shot->frame, "iPhone14,2.png");
#pragma once

#include "foundation/ErrorOr.h"
#include "render/Frame.h"
#include "uikit/CGGeometry.h"
#include "uikit/DeviceProfile.h"
#include "uikit/UIScreen.h"

#include <optional>
#include <string>
#include <vector>

namespace zovo {

struct GalleryRequest {
    const DeviceProfile* device = nullptr;
    UIScreen::Orientation orientation = UIScreen::Orientation::Portrait;
    std::optional<std::string> settings; // the settings file's bytes, already checked; none: the shipped defaults
    std::string title, message;
    double scale = 0; // pixels a point; 0: the device's own
};

struct GalleryShot {
    Frame frame;
    CGRect banner = CGRectZero; // the banner window, in screen points
    CGRect body = CGRectZero;   // its lower body, in screen points
    std::vector<CGRect> labels; // the title, message and date labels (those shown), in screen points
};

// Presents the banner (with the Messages icon, dated "now", below the device's status bar), lets
// it settle and renders the screen. Fails when the settings turn the component off or the
// settings file cannot be put in place.
ErrorOr<GalleryShot> renderGalleryShot(const GalleryRequest& request);
// Fails as every shot would when the settings turn the component off; for refusing them before
// anything is rendered or written.
ErrorOr<void> checkGallerySettings(const std::optional<std::string>& settings);

} // namespace zovo
