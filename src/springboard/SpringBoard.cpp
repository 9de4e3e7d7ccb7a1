#include "springboard/SpringBoard.h"

#include "objc/Message.h"
#include "springboard/HostSupport.h"
#include "springboard/SBNotificationBannerDestination.h"
#include "springboard/UIStatusBarForegroundView.h"
#include "uikit/UIScreen.h"
#include "uikit/UIWindow.h"

using objc::StrongId;
using objc::id;
using objc::SEL;
using objc::send;

SpringBoard::SpringBoard() = default;
SpringBoard::~SpringBoard() = default;

void SpringBoard::didFinishLaunching()
{
    using namespace zovo::host;
    if (launched_) return;
    launched_ = true;
    objc::StrongRef<SpringBoard> keep(this);
    statusBarWindow_ = makeView<UIWindow>(CGRectZero);
    statusBarWindow_->setWindowLevel(UIWindowLevelStatusBar);
    statusBarWindow_->setUserInteractionEnabled(false);
    statusBar_ = objc::cast<UIStatusBarForegroundView>(send<StrongId>(alloc(classes().statusBarView), "initWithFrame:", CGRectZero));
    statusBarWindow_->addSubview(statusBar_.get());
    layOutStatusBar();
    destination_ = objc::cast<SBNotificationBannerDestination>(send<StrongId>(alloc(classes().destination), "init"));
}

void SpringBoard::layOutStatusBar()
{
    if (!statusBar_) return;
    const CGRect strip = CGRectMake(0, 0, UIScreen::mainScreen()->bounds().size.width, UIScreen::mainScreen()->device().statusBarHeight);
    statusBarWindow_->setFrame(strip);
    send(statusBar_, "setFrame:", strip);
    send(statusBar_, "setNeedsLayout");
    send(statusBar_, "layoutIfNeeded");
}

namespace zovo::host {

objc::Class registerSpringBoard(objc::Runtime& runtime, const char* name)
{
    objc::Class cls = runtime.registerClass(name, runtime.lookUpClass("NSObject"), []() -> objc::Object* { return new SpringBoard(); });
    objc::addMethod(cls, objc::sel("applicationDidFinishLaunching:"), +[](id self, SEL, id) { static_cast<SpringBoard*>(self)->didFinishLaunching(); });
    objc::addMethod(cls, objc::sel("bannerDestination"), +[](id self, SEL) -> StrongId { return StrongId(static_cast<SpringBoard*>(self)->bannerDestination()); });
    return cls;
}

} // namespace zovo::host
