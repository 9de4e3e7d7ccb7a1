// Small helpers that the component's units share: texts as strings, the default notification
// centre, posting and telling apart the component's own notifications, and the shared state.
// Private to the component; every call goes through the runtime, as it would on the phone.
#pragma once

#include "foundation/NSString.h"
#include "objc/Message.h"
#include "tweak/BLNotificationBridge.h"

namespace zovorudovu {

inline objc::StrongId string(const char* text) { return NSString::from(text); }

inline objc::StrongId defaultCenter() { return objc::send<objc::StrongId>(objc::objc_getClass("NSNotificationCenter"), "defaultCenter"); }

inline void post(const char* name) { objc::send(defaultCenter(), "postNotificationName:object:", string(name), nullptr); }

// Whether a notification has the given name.
inline bool nameIs(objc::id notification, const char* name)
{
    return objc::send<bool>(objc::send<objc::StrongId>(notification, "name"), "isEqualToString:", string(name));
}

inline BLNotificationBridge* bridge() { return BLNotificationBridge::sharedInstance(); }

} // namespace zovorudovu
