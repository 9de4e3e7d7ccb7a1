// Registers the view classes and their selectors. Each body forwards to the C++ class, whose
// virtual hooks C++ subclasses override.
#include "foundation/NSArray.h"
#include "objc/Message.h"
#include "uikit/CALayer.h"
#include "uikit/CAShapeLayer.h"
#include "uikit/Registration.h"
#include "uikit/UIBezierPath.h"
#include "uikit/UIColor.h"
#include "uikit/UIGestureRecognizer.h"
#include "uikit/NSLayoutConstraint.h"
#include "uikit/UIScreen.h"
#include "uikit/UIView.h"
#include "uikit/UIWindow.h"

#include <functional>

using objc::StrongId;
using objc::id;
using objc::SEL;
using objc::sel;

namespace {

UIView* view(id self) { return static_cast<UIView*>(self); }
UIWindow* window(id self) { return static_cast<UIWindow*>(self); }
CALayer* layer(id self) { return static_cast<CALayer*>(self); }

template <class T>
StrongId list(const std::vector<objc::StrongRef<T>>& items)
{
    std::vector<StrongId> elements(items.begin(), items.end());
    return NSArray::from(std::move(elements));
}

void registerLayers(objc::Runtime& runtime, objc::Class object)
{
    objc::Class cls = runtime.registerClass("CALayer", object, []() -> objc::Object* { return new CALayer(); });
    objc::addClassMethod(cls, sel("layer"), +[](id self, SEL) -> StrongId { return objc::send<StrongId>(objc::send<StrongId>(self, "alloc"), "init"); });
    objc::addMethod(cls, sel("cornerRadius"), +[](id self, SEL) { return layer(self)->cornerRadius(); });
    objc::addMethod(cls, sel("setCornerRadius:"), +[](id self, SEL, double r) { layer(self)->setCornerRadius(r); });
    objc::addMethod(cls, sel("masksToBounds"), +[](id self, SEL) { return layer(self)->masksToBounds(); });
    objc::addMethod(cls, sel("setMasksToBounds:"), +[](id self, SEL, bool m) { layer(self)->setMasksToBounds(m); });
    objc::addMethod(cls, sel("mask"), +[](id self, SEL) -> StrongId { return StrongId(layer(self)->mask()); });
    // Only layers can mask; anything else clears the mask.
    objc::addMethod(cls, sel("setMask:"), +[](id self, SEL, id mask) { layer(self)->setMask(objc::cast<CALayer>(mask)); });
    objc::addMethod(cls, sel("frame"), +[](id self, SEL) { return layer(self)->frame(); });
    objc::addMethod(cls, sel("setFrame:"), +[](id self, SEL, CGRect f) { layer(self)->setFrame(f); });

    objc::Class shape = runtime.registerClass("CAShapeLayer", cls, []() -> objc::Object* { return new CAShapeLayer(); });
    objc::addMethod(shape, sel("path"), +[](id self, SEL) { return static_cast<CAShapeLayer*>(self)->path(); });
    objc::addMethod(shape, sel("setPath:"), +[](id self, SEL, CGPathRef p) { static_cast<CAShapeLayer*>(self)->setPath(p); });
}

void registerBezierPath(objc::Runtime& runtime, objc::Class object)
{
    objc::Class cls = runtime.registerClass("UIBezierPath", object, []() -> objc::Object* { return new UIBezierPath(); });
    objc::addClassMethod(cls, sel("bezierPathWithRect:"), +[](id, SEL, CGRect r) -> StrongId { return UIBezierPath::bezierPathWithRect(r); });
    objc::addClassMethod(cls, sel("bezierPathWithRoundedRect:cornerRadius:"),
                         +[](id, SEL, CGRect r, double radius) -> StrongId { return UIBezierPath::bezierPathWithRoundedRect(r, radius); });
    objc::addClassMethod(cls, sel("bezierPathWithRoundedRect:byRoundingCorners:cornerRadii:"),
                         +[](id, SEL, CGRect r, std::uint64_t corners, CGSize radii) -> StrongId { return UIBezierPath::bezierPathWithRoundedRect(r, corners, radii); });
    objc::addMethod(cls, sel("CGPath"), +[](id self, SEL) { return static_cast<UIBezierPath*>(self)->CGPath(); });
}

void registerView(objc::Runtime& runtime, objc::Class object)
{
    objc::Class cls = runtime.registerClass("UIView", object, []() -> objc::Object* { return new UIView(); });
    objc::addMethod(cls, sel("init"), +[](id self, SEL) -> StrongId { return objc::send<StrongId>(self, "initWithFrame:", CGRectZero); });
    objc::addMethod(cls, sel("initWithFrame:"), +[](id self, SEL, CGRect f) -> StrongId {
        view(self)->setFrame(f);
        return StrongId(self);
    });
    objc::addMethod(cls, sel("frame"), +[](id self, SEL) { return view(self)->frame(); });
    objc::addMethod(cls, sel("setFrame:"), +[](id self, SEL, CGRect f) { view(self)->setFrame(f); });
    objc::addMethod(cls, sel("bounds"), +[](id self, SEL) { return view(self)->bounds(); });
    objc::addMethod(cls, sel("setBounds:"), +[](id self, SEL, CGRect b) { view(self)->setBounds(b); });
    objc::addMethod(cls, sel("center"), +[](id self, SEL) { return view(self)->center(); });
    objc::addMethod(cls, sel("setCenter:"), +[](id self, SEL, CGPoint c) { view(self)->setCenter(c); });
    objc::addMethod(cls, sel("superview"), +[](id self, SEL) -> StrongId { return StrongId(view(self)->superview()); });
    objc::addMethod(cls, sel("subviews"), +[](id self, SEL) { return list(view(self)->subviews()); });
    objc::addMethod(cls, sel("window"), +[](id self, SEL) -> StrongId { return StrongId(view(self)->window()); });
    objc::addMethod(cls, sel("addSubview:"), +[](id self, SEL, id sub) { view(self)->addSubview(objc::cast<UIView>(sub)); });
    objc::addMethod(cls, sel("insertSubview:atIndex:"),
                    +[](id self, SEL, id sub, std::int64_t i) { view(self)->insertSubviewAtIndex(objc::cast<UIView>(sub), i < 0 ? 0 : static_cast<std::size_t>(i)); });
    objc::addMethod(cls, sel("removeFromSuperview"), +[](id self, SEL) { view(self)->removeFromSuperview(); });
    objc::addMethod(cls, sel("sendSubviewToBack:"), +[](id self, SEL, id sub) { view(self)->sendSubviewToBack(objc::cast<UIView>(sub)); });
    objc::addMethod(cls, sel("bringSubviewToFront:"), +[](id self, SEL, id sub) { view(self)->bringSubviewToFront(objc::cast<UIView>(sub)); });
    objc::addMethod(cls, sel("isHidden"), +[](id self, SEL) { return view(self)->isHidden(); });
    objc::addMethod(cls, sel("setHidden:"), +[](id self, SEL, bool h) { view(self)->setHidden(h); });
    objc::addMethod(cls, sel("alpha"), +[](id self, SEL) { return view(self)->alpha(); });
    objc::addMethod(cls, sel("setAlpha:"), +[](id self, SEL, double a) { view(self)->setAlpha(a); });
    objc::addMethod(cls, sel("backgroundColor"), +[](id self, SEL) -> StrongId { return StrongId(view(self)->backgroundColor()); });
    objc::addMethod(cls, sel("setBackgroundColor:"), +[](id self, SEL, id c) { view(self)->setBackgroundColor(objc::cast<UIColor>(c)); });
    objc::addMethod(cls, sel("clipsToBounds"), +[](id self, SEL) { return view(self)->clipsToBounds(); });
    objc::addMethod(cls, sel("setClipsToBounds:"), +[](id self, SEL, bool c) { view(self)->setClipsToBounds(c); });
    objc::addMethod(cls, sel("layer"), +[](id self, SEL) -> StrongId { return StrongId(view(self)->layer()); });
    objc::addMethod(cls, sel("tag"), +[](id self, SEL) { return static_cast<std::int64_t>(view(self)->tag()); });
    objc::addMethod(cls, sel("setTag:"), +[](id self, SEL, std::int64_t t) { view(self)->setTag(static_cast<int>(t)); });
    objc::addMethod(cls, sel("isUserInteractionEnabled"), +[](id self, SEL) { return view(self)->isUserInteractionEnabled(); });
    objc::addMethod(cls, sel("setUserInteractionEnabled:"), +[](id self, SEL, bool e) { view(self)->setUserInteractionEnabled(e); });
    objc::addMethod(cls, sel("addGestureRecognizer:"),
                    +[](id self, SEL, id r) { view(self)->addGestureRecognizer(objc::cast<UIGestureRecognizer>(r)); });
    objc::addMethod(cls, sel("removeGestureRecognizer:"),
                    +[](id self, SEL, id r) { view(self)->removeGestureRecognizer(objc::cast<UIGestureRecognizer>(r)); });
    objc::addMethod(cls, sel("gestureRecognizers"), +[](id self, SEL) { return list(view(self)->gestureRecognizers()); });
    objc::addMethod(cls, sel("layoutSubviews"), +[](id self, SEL) { view(self)->layoutSubviews(); });
    objc::addMethod(cls, sel("setNeedsLayout"), +[](id self, SEL) { view(self)->setNeedsLayout(); });
    objc::addMethod(cls, sel("layoutIfNeeded"), +[](id self, SEL) { view(self)->layoutIfNeeded(); });
    objc::addMethod(cls, sel("sizeToFit"), +[](id self, SEL) { view(self)->sizeToFit(); });
    objc::addMethod(cls, sel("sizeThatFits:"), +[](id self, SEL, CGSize s) { return view(self)->sizeThatFits(s); });
    objc::addMethod(cls, sel("intrinsicContentSize"), +[](id self, SEL) { return view(self)->intrinsicContentSize(); });
    objc::addMethod(cls, sel("translatesAutoresizingMaskIntoConstraints"),
                    +[](id self, SEL) { return view(self)->translatesAutoresizingMaskIntoConstraints(); });
    objc::addMethod(cls, sel("setTranslatesAutoresizingMaskIntoConstraints:"),
                    +[](id self, SEL, bool t) { view(self)->setTranslatesAutoresizingMaskIntoConstraints(t); });
    objc::addMethod(cls, sel("addConstraint:"), +[](id self, SEL, id c) { view(self)->addConstraint(objc::cast<NSLayoutConstraint>(c)); });
    objc::addMethod(cls, sel("removeConstraint:"), +[](id self, SEL, id c) { view(self)->removeConstraint(objc::cast<NSLayoutConstraint>(c)); });
    objc::addMethod(cls, sel("constraints"), +[](id self, SEL) { return list(view(self)->constraints()); });
    objc::addMethod(cls, sel("hitTest:withEvent:"), +[](id self, SEL, CGPoint p, id) -> StrongId { return StrongId(view(self)->hitTest(p)); });
    objc::addMethod(cls, sel("pointInside:withEvent:"), +[](id self, SEL, CGPoint p, id) { return view(self)->pointInside(p); });
    objc::addMethod(cls, sel("convertPoint:toView:"), +[](id self, SEL, CGPoint p, id v) { return view(self)->convertPointToView(p, objc::cast<UIView>(v)); });
    objc::addMethod(cls, sel("convertPoint:fromView:"), +[](id self, SEL, CGPoint p, id v) { return view(self)->convertPointFromView(p, objc::cast<UIView>(v)); });
    objc::addClassMethod(cls, sel("animateWithDuration:animations:completion:"),
                         +[](id, SEL, double duration, std::function<void()> animations, std::function<void(bool)> completion) {
                             UIView::animate(duration, animations, std::move(completion));
                         });
    objc::addClassMethod(cls, sel("animateWithDuration:animations:"),
                         +[](id, SEL, double duration, std::function<void()> animations) { UIView::animate(duration, animations); });
}

void registerWindow(objc::Runtime& runtime, objc::Class viewClass)
{
    objc::Class cls = runtime.registerClass("UIWindow", viewClass, []() -> objc::Object* { return new UIWindow(); });
    objc::addMethod(cls, sel("windowLevel"), +[](id self, SEL) { return window(self)->windowLevel(); });
    objc::addMethod(cls, sel("setWindowLevel:"), +[](id self, SEL, double l) { window(self)->setWindowLevel(l); });
    objc::addMethod(cls, sel("makeKeyAndVisible"), +[](id self, SEL) { window(self)->makeKeyAndVisible(); });
    objc::addMethod(cls, sel("isKeyWindow"), +[](id self, SEL) { return window(self)->isKeyWindow(); });
    objc::addMethod(cls, sel("_setSecure:"), +[](id self, SEL, bool s) { window(self)->setSecure(s); });
    objc::addMethod(cls, sel("_isSecure"), +[](id self, SEL) { return window(self)->isSecure(); });
}

void registerScreen(objc::Runtime& runtime, objc::Class object)
{
    objc::Class cls = runtime.registerClass("UIScreen", object, []() -> objc::Object* { return new UIScreen(); });
    objc::addClassMethod(cls, sel("mainScreen"), +[](id, SEL) -> StrongId { return StrongId(UIScreen::mainScreen()); });
    objc::addMethod(cls, sel("bounds"), +[](id self, SEL) { return static_cast<UIScreen*>(self)->bounds(); });
    objc::addMethod(cls, sel("scale"), +[](id self, SEL) { return static_cast<UIScreen*>(self)->scale(); });
}

} // namespace

namespace zovo::uikit {

void registerViewClasses(objc::Runtime& runtime)
{
    objc::Class object = runtime.lookUpClass("NSObject");
    registerLayers(runtime, object);
    registerBezierPath(runtime, object);
    registerView(runtime, object);
    registerWindow(runtime, runtime.lookUpClass("UIView"));
    registerScreen(runtime, object);
}

} // namespace zovo::uikit
