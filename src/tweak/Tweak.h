// The component's start-up and its process-wide values; with them, the names by which its parts
// talk (tweak/NotificationNames.h).
#pragma once

#include "objc/Object.h"
#include "objc/Runtime.h"
#include "substrate/Loader.h"
#include "tweak/NotificationNames.h"

class UIColor;

namespace zovorudovu {

inline constexpr const char* kSettingsPath = "/var/mobile/Library/Preferences/com.tarvik.zovorudovu.plist";
inline constexpr const char* kSettingsPathForCopy = "/User/Library/Preferences/com.tarvik.zovorudovu.plist";
inline constexpr const char* kDefaultsPath = "/Library/PreferenceBundles/zovorudovu.bundle/defaults.plist";
inline constexpr const char* kInstallPath = "/Library/MobileSubstrate/DynamicLibraries/Zovorudovu.dylib";

// The component's process-wide variables. On a phone these are the library's globals; here each
// simulated process has its own.
// The banner width used when the settings give none that can be used.
inline constexpr float kDefaultCustomWidthValue = 209.0f;
// The widest screen of any device the component runs on (an iPad Pro 12.9" in landscape), in
// points: a custom width beyond it cannot be meant.
inline constexpr double kWidestScreen = 1366.0;
// Whether a custom width read from the settings can be used: finite, at least a point (a tinier
// positive number narrows to a float of 0 or shows nothing) and no wider than any screen. Anything
// else, NaN included, counts as absent and the banner takes the default width.
constexpr bool isUsableCustomWidth(double width) { return width >= 1.0 && width <= kWidestScreen; }

struct Globals {
    bool isEnabled = false;
    objc::StrongRef<UIColor> bgColour;
    objc::StrongRef<UIColor> textColour;
    bool isLandscape = false;
    bool isBanner = false;
    bool hooksInstalled = false;
    objc::Class bannerDestinationClass = nullptr;
    // The short-look controller whose banner the component presented last: only its view is
    // captured and hidden.
    objc::WeakRef<objc::Object> presentingController;
};
Globals& globals();

// Start-up: settings-changed registration, settings, and (when enabled) the hooks.
void initialiser(int argc, char** argv, char** envp);
// Puts the defaults file in place when no settings file exists.
void initPrefs();
// Reads the settings file and spreads its keys over the process values and the shared state.
void loadPrefs();
// isLandscape := the main screen is wider than high.
void checkOrientation();
// isBanner := the view's enclosing controller was presented by the banner destination.
void ancestryCheck(objc::id view);

// Registers the component's classes and categories in a process, as loading the library does.
void registerClasses(objc::Runtime& runtime);

// The library as the loader sees it: install path, classes, initialiser.
zovo::DynamicLibrary library();

} // namespace zovorudovu
