// The simulated home screen as drivers (the scenario runner, tools, tests) use it: one call to
// launch it as a phone does, then requests, the long look, rotation and settings changes.
//
//   zovo::Process process;
//   zovo::SpringBoardHost host(process, {.model = "iPhone13,2", .libraries = {component}});
//   host.launch();                                          // loader, then applicationDidFinishLaunching:
//   host.postRequest({.id = "r1", .app = "Messages", .title = "Anna", .message = "Lunch?"});
//   process.mainRunLoop().advance(0.5);                     // presented on a later turn
//   zovo::touchDown({187, 60}); zovo::touchUp({187, 60});   // touches go through uikit's TouchInput
//
// Launch, in order: the UIKit and host classes are registered (unless the process has them
// already); the screen takes the device profile and orientation, and the device its model
// identifier and host answers; the trace starts recording posts of traced names; the loader runs
// each library's classes and initialiser; a SpringBoard is made and receives
// applicationDidFinishLaunching:, in which it builds and lays out the status bar and then the
// banner destination.
//
// The host's own choices (banner duration, animation lengths, layout passes, window level, date
// format, the banner's look) are stated in HostDefaults.h.
#pragma once

#include "foundation/PropertyList.h"
#include "objc/Object.h"
#include "springboard/Forward.h"
#include "springboard/HostClasses.h"
#include "springboard/HostDefaults.h"
#include "substrate/Loader.h"
#include "uikit/CGGeometry.h"
#include "uikit/UIImage.h"
#include "uikit/UIScreen.h"

#include <optional>
#include <string>
#include <vector>

class NSDictionary;

namespace zovo {

class Process;

// One notification, as a driver describes it.
struct NotificationRequest {
    std::string id;
    std::string app;      // the app's name, shown in the header
    std::string title;
    std::string subtitle;
    std::string message;
    objc::StrongRef<UIImage> icon;
    std::string date;     // as shown; empty shows kDateTextForNow
    bool sticky = false;  // stays until the user acts or something forces it away
};

// The settings pane that is installed with the component's package: where it writes the settings
// and the system-wide notification it posts after each change.
struct SettingsPane {
    std::string path = "/var/mobile/Library/Preferences/com.tarvik.zovorudovu.plist";
    std::string changedNotification = "com.tarvik.zovorudovu/prefsupdated";
};

struct HostOptions {
    std::string model = "iPhone12,3";
    // Unset answers come from the model's profile or, for a model without one, Face ID yes,
    // iPad no and a 375 x 812 screen.
    std::optional<bool> hasFaceID;
    std::optional<bool> isIPad;
    std::optional<CGSize> screen;
    // The system banner's dismiss timer; positive, and infinite for banners that never time out.
    double bannerDuration = kSystemBannerDuration;
    UIScreen::Orientation orientation = UIScreen::Orientation::Portrait;
    // Loaded at launch, in order, before the app finishes launching.
    std::vector<DynamicLibrary> libraries;
    SettingsPane settings;
    // Posts on the default centre whose names start with this are written to the trace ("post",
    // with "name"); empty records every post. The centre has one post listener: a driver that
    // installs its own after launch replaces this record.
    std::string tracedPostPrefix = "Zovorudovu_";
};

class SpringBoardHost {
public:
    // `process` must be the current process and outlive the host. Throws std::invalid_argument
    // for an empty model, a screen size or banner duration that is not a positive number.
    explicit SpringBoardHost(Process& process, HostOptions options = {});

    // Throws std::logic_error when a SpringBoard has already launched in this process.
    void launch();
    bool launched() const;
    // What the device answers (tf_deviceHasFaceID, currentIsIPad).
    DeviceFacts facts() const { return facts_; }

    // Hands the destination a new request (postNotificationRequest:, by message). Throws
    // std::logic_error before launch.
    void postRequest(const NotificationRequest& request);
    // Closes the open long look, as a tap outside its card does. False when none is open.
    bool closeLongLook();
    // Turns the screen (its bounds swap). The windows that follow the screen (the status bar, the
    // system banner's window with its card or long look) are resized at once; every view on
    // screen is laid out again on the next turn of the run loop. The component's own window is
    // not the host's and keeps its frame.
    void rotate(UIScreen::Orientation orientation);
    // Writes the settings file as the settings pane does, then posts its Darwin notification
    // (delivered on a later turn). On a write error nothing is posted and the result says why.
    ErrorOr<void> changeSettings(const NSDictionary* settings);

    // The app and its parts, or null before launch (and, for the banner parts, when no banner
    // is on screen).
    SpringBoard* springBoard() const;
    SBNotificationBannerDestination* destination() const;
    SBBannerWindow* bannerWindow() const;
    NCNotificationShortLookView* shortLookView() const;
    NCNotificationLongLookViewController* longLook() const;

    const HostOptions& options() const { return options_; }

private:
    Process& process_;
    HostOptions options_;
    const DeviceProfile* profile_;
    DeviceFacts facts_;
    CGSize screen_;
};

} // namespace zovo
