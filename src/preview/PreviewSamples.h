// The sample notifications a designer reaches for: N posts them in turn and the composer offers
// them to start from. Different apps, icons and lengths, and one without an icon, so that each case
// the banner must handle is one key away; after them, the hard-text set. One list, so that a new set
// is added in one place.
#pragma once

#include "sim/AppIcons.h"

#include <optional>
#include <span>

namespace zovo {

struct NotificationSample {
    const char* app;
    const char* title;
    const char* message;
    std::optional<AppIcon> icon;
};

std::span<const NotificationSample> notificationSamples();

} // namespace zovo
