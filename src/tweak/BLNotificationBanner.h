// The component's banner window: icon, title, message and timestamp over a lower body with
// rounded bottom corners, above the status bar. It takes tap, hold and drag, and talks to the
// rest of the component only through the internal notifications and the shared state.
//
// One window is built per presentation (initWithFrame:bgColour:textColour:), filled by
// updateContent on "Zovorudovu_UpdateContent", and dropped by its owner after dismissal.
#pragma once

#include "objc/Runtime.h"
#include "uikit/CGGeometry.h"
#include "uikit/UIWindow.h"

#include <vector>

class BLNotificationBanner : public UIWindow {
public:
    static constexpr const char* kClassName = "BLNotificationBanner";

    // Fields, all owned by the window.
    objc::StrongId bottomMaskLayer;       // CAShapeLayer; null until the first content update
    objc::StrongId panGesture;            // UIPanGestureRecognizer
    objc::StrongId tapGestureRecognizer;  // UITapGestureRecognizer
    objc::StrongId holdGestureRecognizer; // UILongPressGestureRecognizer
    objc::StrongId iconView;              // UIImageView, 20 by 20
    objc::StrongId primary;               // UILabel: the title
    objc::StrongId secondary;             // UILabel: the message, on as many lines as it needs
    objc::StrongId date;                  // UILabel: the timestamp; null when timestamps were off at construction
    objc::StrongId container;             // UIView holding the icon and the labels
    objc::StrongId bgColour;              // UIColor
    objc::StrongId textColour;            // UIColor
    objc::StrongId bottomSection;         // BLBottomGrabberView

    // The constraints the latest content update added to `container`. The next update removes
    // them before adding its own, so repeated updates lay out as a first one would.
    std::vector<objc::StrongId> contentConstraints;
};

// The window origin's y at which nothing of `banner` shows: minus the taller of the window
// (`windowHeight`) and its lower body, which grows below the window with a long message.
double offScreenOriginY(objc::id banner, double windowHeight);

// Registers the class under UIWindow with its initialiser, content update, gesture actions,
// animation primitive, window-level switch and field accessors.
void registerBLNotificationBanner(objc::Runtime& runtime);
