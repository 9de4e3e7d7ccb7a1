// The home screen's own classes, registered under their system names: the app object, the banner
// destination, the notification request, the short-look and long-look view controllers, the
// short-look view with its header and tap recogniser, the system banner window and the status
// bar's foreground view.
//
//   registerUIKitClasses(process.runtime());
//   zovo::registerHostClasses(process.runtime(), {.hasFaceID = true, .isIPad = false});
//
// Most drivers use SpringBoardHost (Host.h), which registers these, launches the app and talks
// to it; this registration alone is for tests that drive the classes by message.
#pragma once

#include "objc/Runtime.h"
#include "springboard/DeviceFacts.h"

#include <string>
#include <vector>

namespace zovo {

// Registers SpringBoard, SBNotificationBannerDestination, NCNotificationRequest,
// NCNotificationShortLookViewController, NCNotificationLongLookViewController,
// NCNotificationShortLookView, PLPlatterHeaderContentView, NCNotificationTapGestureRecognizer,
// SBBannerWindow and _UIStatusBarForegroundView, and the host-supplied UIDevice class methods
// tf_deviceHasFaceID and currentIsIPad (answering from `facts`). UIKit's classes must be
// registered first. A class named in `omit` is registered under a private name, as on a system
// that lacks it: nothing finds it by its system name, but the host still works. Registering a
// second time in one process only updates the facts.
void registerHostClasses(objc::Runtime& runtime, DeviceFacts facts = {}, const std::vector<std::string>& omit = {});

// Changes what tf_deviceHasFaceID and currentIsIPad answer in the current process.
void setHostDeviceFacts(DeviceFacts facts);

} // namespace zovo
