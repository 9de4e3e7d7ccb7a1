#include "tweak/BLBottomGrabberView.h"

#include "objc/Message.h"
#include "tweak/BLNotificationBridge.h"
#include "tweak/Helpers.h"
#include "uikit/CGGeometry.h"

using objc::StrongId;
using objc::id;
using objc::SEL;
using objc::send;

namespace {

constexpr double kPillWidth = 35.0;
constexpr double kPillHeight = 5.0;
constexpr double kPillBottomInset = 10.0;

BLBottomGrabberView* self_(id self) { return static_cast<BLBottomGrabberView*>(self); }
objc::Class grabberClass() { return objc::objc_getClass(BLBottomGrabberView::kClassName); }

// The pill sits 17 points left of the centre line and 10 points above the bottom edge.
CGRect pillFrame(CGSize grabber)
{
    return CGRectMake(grabber.width / 2.0 - 17.0, grabber.height - kPillHeight - kPillBottomInset, kPillWidth, kPillHeight);
}

StrongId initWithFrame(id self, SEL, CGRect frame)
{
    StrongId view = objc::sendSuper<StrongId>(self, grabberClass(), "initWithFrame:", frame);
    if (!view) return nullptr;
    if (send<bool>(zovorudovu::bridge(), "showGrabber")) {
        StrongId pill = send<StrongId>(send<StrongId>(objc::objc_getClass("UIView"), "alloc"), "initWithFrame:", pillFrame(send<CGRect>(view, "frame").size));
        send(pill, "setClipsToBounds:", true);
        send(send<StrongId>(pill, "layer"), "setCornerRadius:", send<CGRect>(pill, "frame").size.height / 2);
        send(pill, "setBackgroundColor:", send<StrongId>(objc::objc_getClass("UIColor"), "grayColor"));
        send(view, "addSubview:", pill);
        self_(view.get())->pill = pill;
    }
    return view;
}

// The pill follows the view's size: every layout pass after a resize puts it back in place.
void layoutSubviews(id self, SEL)
{
    objc::sendSuper(self, grabberClass(), "layoutSubviews");
    if (StrongId pill = self_(self)->pill) send(pill, "setFrame:", pillFrame(send<CGRect>(self, "bounds").size));
}

StrongId getPill(id self, SEL) { return self_(self)->pill; }
void setPill(id self, SEL, id pill) { self_(self)->pill = StrongId(pill); }

} // namespace

void registerBLBottomGrabberView(objc::Runtime& runtime)
{
    // The allocator's only branches are the compiler's: the check, on the way out of a throwing
    // view constructor, of whether the memory must still be freed. No caller decides anything there.
    objc::Class cls = runtime.registerClass(BLBottomGrabberView::kClassName, objc::objc_getClass("UIView"),
                                            []() -> objc::Object* { return new BLBottomGrabberView(); }); // GCOVR_EXCL_BR_LINE
    objc::addMethod(cls, objc::sel("initWithFrame:"), initWithFrame);
    objc::addMethod(cls, objc::sel("layoutSubviews"), layoutSubviews);
    objc::addMethod(cls, objc::sel("pill"), getPill);
    objc::addMethod(cls, objc::sel("setPill:"), setPill);
}
