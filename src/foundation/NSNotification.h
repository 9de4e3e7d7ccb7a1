// A notification as its observers receive it: a name and the object that posted it.
//
//   void bannerHeard(objc::id self, objc::SEL, objc::id note)
//   {
//       auto* notification = objc::cast<NSNotification>(note);
//       if (notification->name()->isEqualToString(dismissName)) ...
//   }
//
// Immutable once made. The notification holds its name and object strongly, so an observer may
// keep it past the post.
#pragma once

#include "foundation/NSString.h"
#include "objc/Object.h"
#include "objc/Runtime.h"

class NSNotification : public objc::Object {
public:
    static constexpr const char* kClassName = "NSNotification";

    // Registers the class and its selectors "name", "object" and the class method
    // "notificationWithName:object:" in `runtime`.
    static objc::Class registerIn(objc::Runtime& runtime);

    // Throws std::invalid_argument when `name` is nil: every notification has a name.
    static objc::StrongRef<NSNotification> make(const NSString* name, objc::id object);
    // The same, with the class already looked up (it must be this process's NSNotification),
    // for callers that make many.
    static objc::StrongRef<NSNotification> make(objc::Class cls, const NSString* name, objc::id object);

    NSString* name() const { return name_.get(); }
    // The posting object, or nil.
    objc::id object() const { return object_.get(); }

private:
    friend class NSNotificationCenter;
    // Gives a notification that only its caller holds (objc::Object::isSolelyReferenced) a new
    // name and object; the centre reuses one notification from post to post this way. A null
    // name is allowed only for a notification that is put aside until its next rebind.
    void rebind(const NSString* name, objc::id object);

    objc::StrongRef<NSString> name_;
    objc::StrongId object_;
};
