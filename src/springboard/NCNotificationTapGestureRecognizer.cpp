#include "springboard/NCNotificationTapGestureRecognizer.h"

#include "objc/Message.h"
#include "springboard/BannerControllerDelegate.h"
#include "springboard/HostSupport.h"
#include "springboard/NCNotificationShortLookViewController.h"
#include "uikit/UIView.h"
#include "uikit/UIViewController.h"

using objc::id;
using objc::SEL;

void NCNotificationTapGestureRecognizer::recognizedTap()
{
    auto* controller = objc::cast<NCNotificationShortLookViewController>(UIViewController::controllerForAncestor(view()));
    if (!controller) return;
    if (auto* destination = objc::cast<zovo::host::BannerControllerDelegate>(controller->delegate()))
        destination->performDefaultAction(controller);
}

namespace zovo::host {

objc::Class registerTapGestureRecognizer(objc::Runtime& runtime, const char* name)
{
    objc::Class cls = runtime.registerClass(name, runtime.lookUpClass("UITapGestureRecognizer"),
                                            []() -> objc::Object* { return new NCNotificationTapGestureRecognizer(); });
    objc::addMethod(cls, objc::sel("init"), +[](id self, SEL) -> objc::StrongId {
        static_cast<NCNotificationTapGestureRecognizer*>(self)->addTarget(self, objc::sel("tapRecognizerRecognizedTap:"));
        return objc::StrongId(self);
    });
    objc::addMethod(cls, objc::sel("tapRecognizerRecognizedTap:"), +[](id self, SEL, id sender) {
        recordCall(self, "tapRecognizerRecognizedTap:", sender);
        static_cast<NCNotificationTapGestureRecognizer*>(self)->recognizedTap();
    });
    return cls;
}

} // namespace zovo::host
