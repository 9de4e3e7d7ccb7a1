// Sets up a fresh simulated process as a phone: UIKit, the host's classes with their device
// answers, the screen of the chosen model, and the component's classes.
#pragma once

#include "foundation/Process.h"
#include "objc/Object.h"
#include "uikit/CGGeometry.h"
#include "uikit/DeviceProfile.h"

#include <optional>
#include <string>

namespace zovo {

struct PhoneOptions {
    std::string model = "iPhone12,3";
    // Unset answers come from the model's profile or, for a model without one, Face ID yes,
    // iPad no and a 375 x 812 screen.
    std::optional<bool> hasFaceID;
    std::optional<bool> isIPad;
    std::optional<CGSize> screen;
    // Whether the package's defaults file is installed, as on a phone with the package.
    bool installDefaults = true;
};

// What the phone was set up as.
struct PhoneFacts {
    const DeviceProfile* profile; // null for a model without a built-in profile
    bool hasFaceID;
    bool isIPad;
    CGSize screen;
};

enum class ComponentStart {
    ClassesOnly, // the component's classes are registered; its start-up does not run
    Load,        // the loader loads the component: classes, then start-up with the settings in place
};

// Registers the classes, sets the device, and brings in the component.
PhoneFacts startPhone(Process& process, const PhoneOptions& options, ComponentStart start);

// One banner's content, as the capture hook leaves it in the shared state.
struct BannerContent {
    objc::Id icon; // UIImage or null
    std::string title;
    std::string message;
    std::optional<std::string> date;
    double safeY = 29; // the status-bar hook's record: where the status bar ends, less 15
};

struct PresentedBanner {
    objc::Id springBoard; // owns the window
    objc::Id window;      // the component's banner window, or null when it showed none
};

// In a phone started with ComponentStart::Load: launches SpringBoard, presents one banner as the
// short-look hook does, lets its slide-in finish, fills it with `content` and lays it out.
PresentedBanner presentOneBanner(Process& process, const BannerContent& content);

} // namespace zovo
