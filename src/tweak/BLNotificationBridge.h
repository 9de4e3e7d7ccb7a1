// The component's one shared-state object. Hooks on the system's classes, the settings loader
// and the banner window never hold pointers to one another; they meet here. Every access goes
// through sharedInstance(), which makes the instance once per process.
#pragma once

#include "objc/Object.h"
#include "objc/Runtime.h"

#include <string_view>
#include <vector>

class UIColor;
class UIImage;
class NSString;

class BLNotificationBridge : public objc::Object {
public:
    static constexpr const char* kClassName = "BLNotificationBridge";

    // The process's instance, made on the first call, even when several threads make it at once.
    static BLNotificationBridge* sharedInstance();

    // The content of the notification being shown. The bridge keeps its own strong references,
    // so a reader never meets an object that has ended, even when the system view that supplied
    // it has gone.
    objc::StrongId icon;          // UIImage
    objc::StrongId primaryText;   // NSString
    objc::StrongId secondaryText; // NSString
    objc::StrongId dateText;      // NSString

    bool presented = false;
    bool adaptiveColours = false;
    bool showGrabber = false;
    bool showTimestamp = false;
    bool customWidth = false;
    float customWidthValue = 0;
    float safeYPos = 0;
    float notchWidth = 0;
    objc::StrongId adaptive_backgroundColour; // UIColor, owned
    objc::StrongId adaptive_textColour;       // UIColor, owned
    bool longLookActivated = false;
    bool longLookActivationMethodWasSwipe = false;

    // Writes notchWidth: the width that matches the display notch of this device model.
    void notchWidthForCurrentDeviceModel();
    // Writes both adaptive colours from the icon's average colour.
    void getAverageColour(objc::id image);
    // Writes adaptive_textColour: white on a dark colour, black on a light one.
    void determineWhetherUIColorIsLightOrDark(objc::id colour);
};

// Every model identifier the notch-width lists name, in list order (a model in two lists twice).
std::vector<std::string_view> notchListedModels();

// Registers the class, its class method and its accessors (getter `icon`, setter `setIcon:` ...).
void registerBLNotificationBridge(objc::Runtime& runtime);
