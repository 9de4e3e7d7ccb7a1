#include "springboard/NCNotificationRequest.h"

#include "foundation/NSString.h"
#include "objc/Message.h"
#include "objc/Runtime.h"

using objc::StrongId;
using objc::id;
using objc::SEL;

namespace zovo::host {

objc::Class registerNotificationRequest(objc::Runtime& runtime, const char* name)
{
    objc::Class cls = runtime.registerClass(name, runtime.lookUpClass("NSObject"), []() -> objc::Object* { return new NCNotificationRequest(); });
    objc::addMethod(cls, objc::sel("notificationIdentifier"),
                    +[](id self, SEL) -> StrongId { return NSString::from(static_cast<NCNotificationRequest*>(self)->identifier); });
    objc::addMethod(cls, objc::sel("isSticky"), +[](id self, SEL) { return static_cast<NCNotificationRequest*>(self)->sticky; });
    return cls;
}

} // namespace zovo::host
