// App icons drawn by the project itself, so demos and galleries need no image files.
#pragma once

#include "uikit/CGImage.h"

#include <memory>
#include <optional>
#include <string_view>

namespace zovo {

enum class AppIcon {
    Messages, // a green square with a white speech bubble
    Weather,  // a sky-blue square with a sun and a cloud
    Mail,     // a blue square with a white envelope
};

// A 20-point icon at 3 pixels a point (60 x 60 pixels).
std::shared_ptr<const CGImage> drawAppIcon(AppIcon icon);

// The name a scenario uses for an icon ("messages", "weather", "mail"), and back.
std::string_view appIconName(AppIcon icon);
std::optional<AppIcon> appIconNamed(std::string_view name);
// Every icon, in the order above, for listing in messages and help.
inline constexpr AppIcon kAppIcons[] = {AppIcon::Messages, AppIcon::Weather, AppIcon::Mail};

} // namespace zovo
