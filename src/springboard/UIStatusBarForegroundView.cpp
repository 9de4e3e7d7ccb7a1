#include "springboard/UIStatusBarForegroundView.h"

#include "objc/Message.h"
#include "objc/Runtime.h"

namespace zovo::host {

objc::Class registerStatusBarForegroundView(objc::Runtime& runtime, const char* name)
{
    objc::Class cls = runtime.registerClass(name, runtime.lookUpClass("UIView"), []() -> objc::Object* { return new UIStatusBarForegroundView(); });
    objc::addMethod(cls, objc::sel("layoutSubviews"), +[](objc::id self, objc::SEL) { static_cast<UIStatusBarForegroundView*>(self)->layoutSubviews(); });
    return cls;
}

} // namespace zovo::host
