// A phone for every tool: the simulated home screen launched on a chosen device with the component
// brought in (the one way a scenario, the preview and the one-shot commands start a phone), and one
// banner presented on it as SpringBoard presents it.
#pragma once

#include "foundation/Process.h"
#include "objc/Object.h"
#include "springboard/Host.h"
#include "uikit/CGGeometry.h"
#include "uikit/UIScreen.h"

#include <memory>
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
    UIScreen::Orientation orientation = UIScreen::Orientation::Portrait;
    // The system banner's dismiss timer; positive, and infinite for banners that never time out.
    double bannerDuration = kSystemBannerDuration;
    // Whether the package's defaults file is installed, as on a phone with the package.
    bool installDefaults = true;
};

enum class ComponentStart {
    ClassesOnly, // the component's classes are registered; its start-up does not run
    Load,        // the loader loads the component: classes, then start-up with the settings in place
};

// Launches the home screen in `process` (settings files already in place) and returns it.
std::unique_ptr<SpringBoardHost> startPhone(Process& process, const PhoneOptions& options, ComponentStart start);

// One banner's content, as the capture hook leaves it in the shared state.
struct BannerContent {
    objc::StrongId icon; // UIImage or null
    std::string title;
    std::string message;
    std::optional<std::string> date;
    double safeY = 29; // the status-bar hook's record: where the status bar ends, less 15
};

// On a phone started with ComponentStart::Load: presents one banner as the short-look hook asks
// SpringBoard to, lets its slide-in finish, fills it with `content` and lays it out. Returns the
// component's banner window (SpringBoard owns it), or null when the component showed none.
objc::StrongId presentOneBanner(Process& process, SpringBoardHost& host, const BannerContent& content);

} // namespace zovo
