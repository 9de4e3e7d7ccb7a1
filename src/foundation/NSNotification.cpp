#include "foundation/NSNotification.h"

#include "objc/Message.h"

#include <stdexcept>
#include <string>

namespace {

NSNotification& self(objc::id object, objc::SEL sel)
{
    auto* notification = objc::cast<NSNotification>(object);
    if (!notification)
        throw objc::RuntimeError(objc::describeMethod(object->isa, sel) + ": the receiver is not backed by an NSNotification");
    return *notification;
}

objc::StrongId nameImp(objc::id object, objc::SEL sel) { return objc::StrongId(self(object, sel).name()); }
objc::StrongId objectImp(objc::id object, objc::SEL sel) { return objc::StrongId(self(object, sel).object()); }

objc::StrongId notificationWithNameImp(objc::id cls, objc::SEL sel, objc::id name, objc::id object)
{
    const auto* text = objc::cast<NSString>(name);
    if (name && !text)
        throw objc::RuntimeError(objc::describeMethod(static_cast<objc::Class>(cls), sel) + ": the name is an instance of " + name->className() +
                                 ", not an NSString");
    return NSNotification::make(text, object);
}

} // namespace

objc::Class NSNotification::registerIn(objc::Runtime& runtime)
{
    objc::Class cls = runtime.registerClass(kClassName, runtime.lookUpClass("NSObject"), []() -> objc::Object* { return new NSNotification(); });
    objc::addMethod(cls, objc::sel("name"), nameImp);
    objc::addMethod(cls, objc::sel("object"), objectImp);
    objc::addClassMethod(cls, objc::sel("notificationWithName:object:"), notificationWithNameImp);
    return cls;
}

objc::StrongRef<NSNotification> NSNotification::make(const NSString* name, objc::id object)
{
    return make(objc::classForCppType(kClassName), name, object);
}

objc::StrongRef<NSNotification> NSNotification::make(objc::Class cls, const NSString* name, objc::id object)
{
    if (!name) throw std::invalid_argument("NSNotification: a notification needs a name");
    objc::StrongRef<NSNotification> notification = objc::StrongRef<NSNotification>::adopt(new NSNotification());
    notification->isa = cls;
    // Retaining does not change the string, which stays immutable.
    notification->name_ = objc::StrongRef<NSString>(const_cast<NSString*>(name));
    notification->object_ = objc::StrongId(object);
    return notification;
}

void NSNotification::rebind(const NSString* name, objc::id object)
{
    // Assigning the same pointers again would cost two atomic operations each for nothing.
    if (name_.get() != name) name_ = objc::StrongRef<NSString>(const_cast<NSString*>(name));
    if (object_.get() != object) object_ = objc::StrongId(object);
}
