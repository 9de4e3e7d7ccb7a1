// One notification as the system hands it to the banner destination: what the banner shows and
// whether it stays until the user acts (sticky). Made by the host's drivers; never changed once
// posted.
#pragma once

#include "objc/Object.h"
#include "uikit/UIImage.h"

#include <string>

class NCNotificationRequest : public objc::Object {
public:
    static constexpr const char* kClassName = "NCNotificationRequest";

    std::string identifier;
    std::string appName;
    std::string title;
    std::string subtitle;
    std::string message;
    objc::StrongRef<UIImage> icon; // may be null: the banner then shows no icon
    std::string dateText;    // as shown; empty shows kDateTextForNow
    bool sticky = false;
};

namespace zovo::host {
// Registers the class with its getters notificationIdentifier and isSticky.
objc::Class registerNotificationRequest(objc::Runtime& runtime, const char* name);
} // namespace zovo::host
