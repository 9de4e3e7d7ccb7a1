// Declarations of the springboard layer's classes.
#pragma once

class NCNotificationLongLookViewController;
class NCNotificationRequest;
class NCNotificationShortLookView;
class NCNotificationShortLookViewController;
class NCNotificationTapGestureRecognizer;
class PLPlatterHeaderContentView;
class SBBannerWindow;
class SBNotificationBannerDestination;
class SpringBoard;
class UIStatusBarForegroundView; // _UIStatusBarForegroundView in the runtime

namespace zovo {
struct DeviceFacts;
struct HostOptions;
struct NotificationRequest;
class SpringBoardHost;
} // namespace zovo
