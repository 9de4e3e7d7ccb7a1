// The tap recogniser of a notification card: its own action is tapRecognizerRecognizedTap:, which
// performs the notification's default action. A finger tapping the card sends it with the
// recogniser as the sender; anything else may send it directly, with or without a sender, to the
// same effect. `init` makes the recogniser its own target (targets are held weakly, so this makes
// no cycle).
#pragma once

#include "uikit/UITapGestureRecognizer.h"

class NCNotificationTapGestureRecognizer : public UITapGestureRecognizer {
public:
    static constexpr const char* kClassName = "NCNotificationTapGestureRecognizer";

    // Finds the card's view controller through the view it is attached to and has that
    // controller's presenter perform the default action. Without a view or a presenter nothing
    // happens.
    void recognizedTap();
};

namespace zovo::host {
objc::Class registerTapGestureRecognizer(objc::Runtime& runtime, const char* name);
} // namespace zovo::host
