// The status bar's foreground view: the strip across the top of the screen in which the status
// items sit. The screen chrome draws the items; this view carries the strip's geometry, and its
// layoutSubviews runs by message send on every layout pass, so a hook on it sees each one.
// The runtime knows the class as _UIStatusBarForegroundView; the C++ name drops the leading
// underscore, which C++ reserves.
#pragma once

#include "uikit/UIView.h"

class UIStatusBarForegroundView : public UIView {
public:
    static constexpr const char* kClassName = "_UIStatusBarForegroundView";
};

namespace zovo::host {
objc::Class registerStatusBarForegroundView(objc::Runtime& runtime, const char* name);
} // namespace zovo::host
