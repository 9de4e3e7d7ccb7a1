// App icons drawn by the project itself, so demos and galleries need no image files.
#pragma once

#include "uikit/CGImage.h"

#include <memory>

namespace zovo {

enum class AppIcon {
    Messages, // a green square with a white speech bubble
    Weather,  // a sky-blue square with a sun and a cloud
    Mail,     // a blue square with a white envelope
};

// A 20-point icon at 3 pixels a point (60 x 60 pixels).
std::shared_ptr<const CGImage> drawAppIcon(AppIcon icon);

} // namespace zovo
