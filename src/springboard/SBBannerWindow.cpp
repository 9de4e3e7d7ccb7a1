#include "springboard/SBBannerWindow.h"

#include "objc/Message.h"
#include "springboard/HostDefaults.h"
#include "springboard/HostSupport.h"
#include "springboard/NCNotificationShortLookView.h"

using objc::StrongId;
using objc::id;
using objc::SEL;

NCNotificationShortLookView* SBBannerWindow::shortLookView() const
{
    for (const auto& subview : subviews())
        if (auto* card = objc::cast<NCNotificationShortLookView>(subview)) return card;
    return nullptr;
}

namespace zovo::host {

objc::Class registerBannerWindow(objc::Runtime& runtime, const char* name)
{
    objc::Class cls = runtime.registerClass(name, runtime.lookUpClass("UIWindow"), []() -> objc::Object* { return new SBBannerWindow(); });
    objc::addMethod(cls, objc::sel("initWithFrame:"), +[](id self, SEL, CGRect frame) -> StrongId {
        StrongId window = objc::sendSuper<StrongId>(self, classes().bannerWindow, "initWithFrame:", frame);
        objc::send(window, "setWindowLevel:", kBannerWindowLevel);
        return window;
    });
    objc::addMethod(cls, objc::sel("setUserInteractionEnabled:"), +[](id self, SEL, bool enabled) {
        recordCall(self, "setUserInteractionEnabled:", enabled);
        objc::sendSuper(self, classes().bannerWindow, "setUserInteractionEnabled:", enabled);
    });
    return cls;
}

} // namespace zovo::host
