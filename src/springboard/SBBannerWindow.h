// The window of the system's banner: it holds the short-look card (and, while it is open, the
// long look) at kBannerWindowLevel. Its setUserInteractionEnabled: is recorded in the trace,
// whoever sends it.
#pragma once

#include "uikit/UIWindow.h"

class NCNotificationShortLookView;

class SBBannerWindow : public UIWindow {
public:
    static constexpr const char* kClassName = "SBBannerWindow";

    // The card the window holds, or null.
    NCNotificationShortLookView* shortLookView() const;
};

namespace zovo::host {
// Registers initWithFrame: (which sets the level and keeps whatever interaction state the window
// was given before it ran) and setUserInteractionEnabled:.
objc::Class registerBannerWindow(objc::Runtime& runtime, const char* name);
} // namespace zovo::host
