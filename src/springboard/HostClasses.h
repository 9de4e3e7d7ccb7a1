// The home screen's own classes that the component hooks and calls, registered under their
// system names. Their bodies are plain for now: they answer every message the component sends
// and do nothing else.
#pragma once

#include "objc/Runtime.h"

#include <string>
#include <vector>

namespace zovo {

struct DeviceFacts {
    bool hasFaceID = true;
    bool isIPad = false;
};

// Registers SpringBoard, SBNotificationBannerDestination, NCNotificationShortLookViewController,
// NCNotificationLongLookViewController, NCNotificationShortLookView, SBBannerWindow and
// _UIStatusBarForegroundView, and the host-supplied UIDevice class methods tf_deviceHasFaceID and
// currentIsIPad (answering from `facts`). UIKit's classes must be registered first.
// Classes named in `omit` are left out, as on a system that lacks them.
void registerHostClasses(objc::Runtime& runtime, DeviceFacts facts = {}, const std::vector<std::string>& omit = {});

} // namespace zovo
