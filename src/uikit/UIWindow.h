// Windows: the roots of view trees on the screen. A window is hidden until shown; the screen
// lists windows weakly and stacks the visible ones by level (a higher level is in front; within a
// level, the one shown last is in front). A window that ends leaves the screen.
#pragma once

#include "uikit/UIView.h"

// The platform's window levels.
inline constexpr double UIWindowLevelNormal = 0.0;
inline constexpr double UIWindowLevelStatusBar = 1000.0;
inline constexpr double UIWindowLevelAlert = 2000.0;

class UIWindow : public UIView {
public:
    static constexpr const char* kClassName = "UIWindow";

    UIWindow();
    ~UIWindow() override;

    UIWindow* asWindow() const override { return const_cast<UIWindow*>(this); }

    double windowLevel() const { return windowLevel_; }
    void setWindowLevel(double level) { windowLevel_ = level; }
    // Shows the window in front of the others of its level and makes it the key window.
    void makeKeyAndVisible();
    void setHidden(bool hidden) override;
    bool isKeyWindow() const;
    // The platform's private flag for windows whose content is kept out of captures.
    bool isSecure() const { return secure_; }
    void setSecure(bool secure) { secure_ = secure; }
    // Orders windows of equal level: bumped each time the window is shown.
    std::uint64_t showOrder() const { return showOrder_; }
    // Names the window in the trace: a serial given when it is first shown, 0 before.
    std::uint64_t windowId() const { return windowId_; }

private:
    double windowLevel_ = UIWindowLevelNormal;
    bool secure_ = false;
    std::uint64_t showOrder_ = 0;
    std::uint64_t windowId_ = 0;
};
