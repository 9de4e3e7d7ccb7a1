#include "uikit/UIKitClasses.h"

#include "objc/Message.h"
#include "uikit/UIColor.h"
#include "uikit/UIDevice.h"
#include "uikit/Registration.h"

using objc::StrongId;
using objc::id;
using objc::SEL;

namespace {
StrongId colorWithRGBA(id, SEL, double r, double g, double b, double a) { return UIColor::colorWithRed(r, g, b, a); }
StrongId blackColor(id, SEL) { return UIColor::blackColor(); }
StrongId whiteColor(id, SEL) { return UIColor::whiteColor(); }
StrongId grayColor(id, SEL) { return UIColor::grayColor(); }
StrongId clearColor(id, SEL) { return UIColor::clearColor(); }
StrongId currentDevice(id, SEL) { return UIDevice::currentDevice(); }
} // namespace

void registerUIKitClasses(objc::Runtime& runtime)
{
    objc::Class object = runtime.lookUpClass("NSObject");
    objc::Class color = runtime.registerClass("UIColor", object, []() -> objc::Object* { return new UIColor(); });
    objc::addClassMethod(color, objc::sel("colorWithRed:green:blue:alpha:"), colorWithRGBA);
    objc::addClassMethod(color, objc::sel("blackColor"), blackColor);
    objc::addClassMethod(color, objc::sel("whiteColor"), whiteColor);
    objc::addClassMethod(color, objc::sel("grayColor"), grayColor);
    objc::addClassMethod(color, objc::sel("clearColor"), clearColor);
    objc::Class device = runtime.registerClass("UIDevice", object, []() -> objc::Object* { return new UIDevice(); });
    objc::addClassMethod(device, objc::sel("currentDevice"), currentDevice);
    zovo::uikit::registerViewClasses(runtime);
    zovo::uikit::registerImageClasses(runtime);
    zovo::uikit::registerTextClasses(runtime);
    zovo::uikit::registerLayoutClasses(runtime);
    zovo::uikit::registerGestureClasses(runtime);
    zovo::uikit::registerViewControllerClasses(runtime);
}
