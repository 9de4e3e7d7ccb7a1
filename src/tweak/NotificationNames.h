// The names by which the component's parts talk: the notifications its hooks, its banner window
// and its settings pane post to one another. A leaf: every unit of the component may include it.
#pragma once

namespace zovorudovu {

// The internal notification names, posted on the default centre with no object.
inline constexpr const char* kPresent = "Zovorudovu_Present";
inline constexpr const char* kUpdateContent = "Zovorudovu_UpdateContent";
inline constexpr const char* kExecuteTapAction = "Zovorudovu_ExecuteTapAction";
inline constexpr const char* kExpand = "Zovorudovu_Expand";
inline constexpr const char* kBannerWindowTouchable = "Zovorudovu_SBBannerWindow_Touchable";
inline constexpr const char* kWindowLevelSetLow = "Zovorudovu_WindowLevel_SetLow";
inline constexpr const char* kBannerWindowUntouchable = "Zovorudovu_SBBannerWindow_Untouchable";
inline constexpr const char* kWindowLevelSetHigh = "Zovorudovu_WindowLevel_SetHigh";
inline constexpr const char* kCancelBannerTimer = "Zovorudovu_CancelBannerTimer";
inline constexpr const char* kStartBannerTimer = "Zovorudovu_StartBannerTimer";
inline constexpr const char* kDismissAccelerated = "Zovorudovu_Dismiss_Accelerated";
inline constexpr const char* kDismiss = "Zovorudovu_Dismiss";
inline constexpr const char* kRequestBannerDismissal = "Zovorudovu_RequestBannerDismissal";
// The settings pane's system-wide notification. Spelt as a macro too, because CFSTR makes its
// constant string from a literal only.
#define ZOVORUDOVU_PREFS_UPDATED "com.tarvik.zovorudovu/prefsupdated"
inline constexpr const char* kPrefsUpdated = ZOVORUDOVU_PREFS_UPDATED;

} // namespace zovorudovu
