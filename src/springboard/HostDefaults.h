// The simulated home screen's own choices, stated once. Whatever runs inside the host relies only
// on the order of the host's calls; these values are what a person watching the simulation sees.
#pragma once

#include "uikit/UIWindow.h"

#include <cstdint>

namespace zovo {

// ---- Timing (seconds of the run loop's clock) --------------------------------------------------

// How long a banner that is not sticky stays up: the dismiss timer starts when the banner is
// presented and again on every _startDismissTimer, each time for the whole length. The system
// uses about five seconds.
inline constexpr double kSystemBannerDuration = 5.0;
// The system banner slides down from above the screen as it is presented, and back up as it is
// dismissed; the dismissal completes (window removed, _dismissBannerCompleted: sent) when the exit
// slide ends. A dismissal that is not animated completes inside the call.
inline constexpr double kBannerEntryDuration = 0.4;
inline constexpr double kBannerExitDuration = 0.3;
// The long look fades in over this time; a completion handed to its presentation runs at the end.
// Closing it takes it away at once, and the banner's own exit follows.
inline constexpr double kLongLookAppearDuration = 0.25;

// ---- Presentation ------------------------------------------------------------------------------

// Layout passes the short-look view gets while it is presented, each a message-sent
// layoutSubviews: one as it is placed in its window, one as the window appears. The run loop
// adds none of its own as long as nothing changes size afterwards.
inline constexpr int kShortLookLayoutPasses = 2;
// The system banner's window sits above the status bar and below the level the component keeps
// for its own banner (status bar + 100), so the component's window covers it in portrait and the
// long look shows over the component's window once that is lowered to the status-bar level.
inline constexpr double kBannerWindowLevel = UIWindowLevelStatusBar + 50;
// The date line of a banner shows the request's date text as given (the driver formats it, say
// "9:41 AM"); a request without one shows the relative style's word for a notification that has
// just arrived.
inline constexpr const char* kDateTextForNow = "now";
// The value the header's date format style starts with: the system's relative style.
inline constexpr std::int64_t kRelativeDateFormatStyle = 1;

// ---- The system banner's look ------------------------------------------------------------------

// A rounded card, 8 points from the screen's sides (at most kBannerMaxWidth wide, centred), its
// top just under the status bar in portrait and 8 points from the top in landscape.
inline constexpr double kBannerMargin = 8;
inline constexpr double kBannerMaxWidth = 500;
inline constexpr double kBannerCornerRadius = 13;
inline constexpr double kBannerPadding = 12;
inline constexpr double kBannerHeaderHeight = 20;
inline constexpr double kBannerLineGap = 4;
inline constexpr double kHeaderFontSize = 13;
inline constexpr double kTitleFontSize = 15;
inline constexpr double kMessageFontSize = 15;
inline constexpr std::int64_t kBannerMessageLines = 4;
// The long look: the same card grown to its whole message, over a dimmed screen.
inline constexpr double kLongLookDimAlpha = 0.35;

} // namespace zovo
