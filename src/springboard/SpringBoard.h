// The home screen's application object. When it has finished launching it has built the status
// bar (a status-bar window holding a _UIStatusBarForegroundView, laid out once, so whatever reads
// the bar's geometry on layout has it before the first banner) and the banner destination.
//
// The status-bar window stays hidden: the screen chrome draws the bar's items, and the window
// only carries their geometry, so it neither covers the chrome nor takes touches.
#pragma once

#include "objc/Object.h"

class SBNotificationBannerDestination;
class UIStatusBarForegroundView;
class UIWindow;

class SpringBoard : public objc::Object {
public:
    static constexpr const char* kClassName = "SpringBoard";

    SpringBoard();
    ~SpringBoard() override;

    // Body of applicationDidFinishLaunching:. Runs once; later calls do nothing.
    void didFinishLaunching();
    bool hasLaunched() const { return launched_; }

    // Lays the status bar out again for the screen's current bounds (after a rotation).
    void layOutStatusBar();

    SBNotificationBannerDestination* bannerDestination() const { return destination_.get(); }
    UIStatusBarForegroundView* statusBar() const { return statusBar_.get(); }

private:
    bool launched_ = false;
    objc::StrongRef<UIWindow> statusBarWindow_;
    objc::StrongRef<UIStatusBarForegroundView> statusBar_;
    objc::StrongRef<SBNotificationBannerDestination> destination_;
};

namespace zovo::host {
// Registers applicationDidFinishLaunching: and the getter bannerDestination.
objc::Class registerSpringBoard(objc::Runtime& runtime, const char* name);
} // namespace zovo::host
