// The main screen of the process: its size follows the device and the interface orientation, and
// it keeps the list of windows.
//
//   UIScreen::useDevice(*zovo::findDeviceProfile("iPhone13,2"));  // 390 x 844 points
//   UIScreen::mainScreen()->setOrientation(UIScreen::Orientation::Landscape);  // 844 x 390
#pragma once

#include "objc/Object.h"
#include "uikit/CGGeometry.h"
#include "uikit/DeviceProfile.h"
#include "uikit/Forward.h"
#include "uikit/UIWindow.h"

#include <vector>

class UIScreen : public objc::Object {
public:
    static constexpr const char* kClassName = "UIScreen";

    enum class Orientation { Portrait, Landscape };

    // The current process's screen, made on first use with the default device.
    static UIScreen* mainScreen();
    // Makes the process run on `profile`: screen size and scale, and the model identifier uname
    // reports. The host's Face ID and iPad answers are the host's to give.
    static void useDevice(const zovo::DeviceProfile& profile);

    const zovo::DeviceProfile& device() const { return *device_; }
    // Overrides the portrait size of the device's screen (a device the profiles do not know).
    void setPortraitSize(CGSize size) { portraitSize_ = size; }
    // In points, in the current orientation: width and height swap in landscape.
    CGRect bounds() const;
    double scale() const { return device_->scale; }
    Orientation orientation() const { return orientation_; }
    void setOrientation(Orientation orientation) { orientation_ = orientation; }

    // Every live window that is shown, back to front.
    std::vector<UIWindow*> visibleWindows() const;
    // The frontmost shown window under `point` that takes touches (user interaction enabled and
    // the point inside it), or null.
    UIWindow* windowForTouchAt(CGPoint point) const;
    UIWindow* keyWindow() const { return key_.get(); }

private:
    friend class UIWindow;
    enum class WindowChange { Shown, BecameKey };
    struct WindowPlace {
        std::uint64_t showOrder = 0; // higher is further front
        std::uint64_t windowId = 0;  // the window's own, or a new one when it had none
    };
    // The one call a window makes to its screen: it was hidden and is shown now (it joins the list,
    // in front of every other), or it becomes the key window (its place is unchanged).
    WindowPlace windowChanged(UIWindow& window, WindowChange change);

    const zovo::DeviceProfile* device_ = nullptr;
    CGSize portraitSize_{};
    Orientation orientation_ = Orientation::Portrait;
    std::vector<objc::WeakRef<UIWindow>> windows_;
    objc::WeakRef<UIWindow> key_;
    std::uint64_t showCounter_ = 0;
    std::uint64_t windowCounter_ = 0;
};
