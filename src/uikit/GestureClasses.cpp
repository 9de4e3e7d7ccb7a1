// Registers the gesture recognisers and their selectors. Each body forwards to the C++ class.
#include "objc/Message.h"
#include "uikit/Registration.h"
#include "uikit/UIGestureRecognizer.h"
#include "uikit/UILongPressGestureRecognizer.h"
#include "uikit/UIPanGestureRecognizer.h"
#include "uikit/UITapGestureRecognizer.h"
#include "uikit/UIView.h"

using objc::StrongId;
using objc::id;
using objc::SEL;
using objc::sel;

namespace {

UIGestureRecognizer* recognizer(id self) { return static_cast<UIGestureRecognizer*>(self); }
UITapGestureRecognizer* tap(id self) { return static_cast<UITapGestureRecognizer*>(self); }
UILongPressGestureRecognizer* longPress(id self) { return static_cast<UILongPressGestureRecognizer*>(self); }
UIPanGestureRecognizer* pan(id self) { return static_cast<UIPanGestureRecognizer*>(self); }

objc::Class registerBase(objc::Runtime& runtime)
{
    objc::Class cls = runtime.registerClass("UIGestureRecognizer", runtime.lookUpClass("NSObject"),
                                            []() -> objc::Object* { return new UIGestureRecognizer(); });
    objc::addMethod(cls, sel("init"), +[](id self, SEL) -> StrongId { return StrongId(self); });
    objc::addMethod(cls, sel("initWithTarget:action:"), +[](id self, SEL, id target, SEL action) -> StrongId {
        recognizer(self)->addTarget(target, action);
        return StrongId(self);
    });
    objc::addMethod(cls, sel("addTarget:action:"), +[](id self, SEL, id target, SEL action) { recognizer(self)->addTarget(target, action); });
    objc::addMethod(cls, sel("removeTarget:action:"), +[](id self, SEL, id target, SEL action) { recognizer(self)->removeTarget(target, action); });
    objc::addMethod(cls, sel("state"), +[](id self, SEL) { return static_cast<std::int64_t>(recognizer(self)->state()); });
    objc::addMethod(cls, sel("view"), +[](id self, SEL) -> StrongId { return StrongId(recognizer(self)->view()); });
    objc::addMethod(cls, sel("delegate"), +[](id self, SEL) -> StrongId { return StrongId(recognizer(self)->delegate()); });
    objc::addMethod(cls, sel("setDelegate:"), +[](id self, SEL, id delegate) { recognizer(self)->setDelegate(delegate); });
    objc::addMethod(cls, sel("isEnabled"), +[](id self, SEL) { return recognizer(self)->isEnabled(); });
    objc::addMethod(cls, sel("setEnabled:"), +[](id self, SEL, bool enabled) { recognizer(self)->setEnabled(enabled); });
    objc::addMethod(cls, sel("numberOfTouches"), +[](id self, SEL) { return static_cast<std::uint64_t>(recognizer(self)->numberOfTouches()); });
    // Views only: anything else counts as nil, the window's coordinates.
    objc::addMethod(cls, sel("locationInView:"), +[](id self, SEL, id view) { return recognizer(self)->locationInView(objc::cast<UIView>(view)); });
    return cls;
}

void registerTap(objc::Runtime& runtime, objc::Class base)
{
    objc::Class cls = runtime.registerClass("UITapGestureRecognizer", base, []() -> objc::Object* { return new UITapGestureRecognizer(); });
    objc::addMethod(cls, sel("numberOfTapsRequired"), +[](id self, SEL) { return tap(self)->numberOfTapsRequired(); });
    objc::addMethod(cls, sel("setNumberOfTapsRequired:"), +[](id self, SEL, std::uint64_t n) { tap(self)->setNumberOfTapsRequired(n); });
    objc::addMethod(cls, sel("numberOfTouchesRequired"), +[](id self, SEL) { return tap(self)->numberOfTouchesRequired(); });
    objc::addMethod(cls, sel("setNumberOfTouchesRequired:"), +[](id self, SEL, std::uint64_t n) { tap(self)->setNumberOfTouchesRequired(n); });
}

void registerLongPress(objc::Runtime& runtime, objc::Class base)
{
    objc::Class cls = runtime.registerClass("UILongPressGestureRecognizer", base, []() -> objc::Object* { return new UILongPressGestureRecognizer(); });
    objc::addMethod(cls, sel("minimumPressDuration"), +[](id self, SEL) { return longPress(self)->minimumPressDuration(); });
    objc::addMethod(cls, sel("setMinimumPressDuration:"), +[](id self, SEL, double s) { longPress(self)->setMinimumPressDuration(s); });
    objc::addMethod(cls, sel("allowableMovement"), +[](id self, SEL) { return longPress(self)->allowableMovement(); });
    objc::addMethod(cls, sel("setAllowableMovement:"), +[](id self, SEL, double p) { longPress(self)->setAllowableMovement(p); });
    objc::addMethod(cls, sel("numberOfTouchesRequired"), +[](id self, SEL) { return longPress(self)->numberOfTouchesRequired(); });
    objc::addMethod(cls, sel("setNumberOfTouchesRequired:"), +[](id self, SEL, std::uint64_t n) { longPress(self)->setNumberOfTouchesRequired(n); });
}

void registerPan(objc::Runtime& runtime, objc::Class base)
{
    objc::Class cls = runtime.registerClass("UIPanGestureRecognizer", base, []() -> objc::Object* { return new UIPanGestureRecognizer(); });
    objc::addMethod(cls, sel("translationInView:"), +[](id self, SEL, id view) { return pan(self)->translationInView(objc::cast<UIView>(view)); });
    objc::addMethod(cls, sel("setTranslation:inView:"),
                    +[](id self, SEL, CGPoint t, id view) { pan(self)->setTranslationInView(t, objc::cast<UIView>(view)); });
    objc::addMethod(cls, sel("velocityInView:"), +[](id self, SEL, id view) { return pan(self)->velocityInView(objc::cast<UIView>(view)); });
    objc::addMethod(cls, sel("minimumNumberOfTouches"), +[](id self, SEL) { return pan(self)->minimumNumberOfTouches(); });
    objc::addMethod(cls, sel("setMinimumNumberOfTouches:"), +[](id self, SEL, std::uint64_t n) { pan(self)->setMinimumNumberOfTouches(n); });
}

} // namespace

namespace zovo::uikit {

void registerGestureClasses(objc::Runtime& runtime)
{
    objc::Class base = registerBase(runtime);
    registerTap(runtime, base);
    registerLongPress(runtime, base);
    registerPan(runtime, base);
}

} // namespace zovo::uikit
