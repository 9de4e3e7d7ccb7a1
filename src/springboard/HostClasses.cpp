#include "springboard/HostClasses.h"

#include "foundation/Process.h"
#include "objc/Message.h"
#include "uikit/CGGeometry.h"

#include <functional>

using objc::Id;
using objc::id;
using objc::SEL;

namespace zovo {
namespace {

void nothing(id, SEL) {}
void nothingWithObject(id, SEL, id) {}
void nothingWithFlag(id, SEL, bool) {}
Id none(id, SEL) { return nullptr; }
Id self(id s, SEL) { return Id(s); }
Id initWithFrame(id s, SEL, CGRect) { return Id(s); }
CGRect zeroFrame(id, SEL) { return CGRectZero; }
void dismissPresented(id, SEL, bool, id, bool) {}
void presentLongLookForScroll(id, SEL, bool, std::function<void()>) {}

struct Facts {
    DeviceFacts facts;
};
bool hasFaceID(id, SEL) { return Process::current().local<Facts>().facts.hasFaceID; }
bool isIPad(id, SEL) { return Process::current().local<Facts>().facts.isIPad; }

// A class left out is registered under a private name, so its methods still have somewhere to
// go but nothing finds it by its system name.
objc::Class add(objc::Runtime& runtime, const char* name, const std::vector<std::string>& omit)
{
    for (const auto& o : omit)
        if (o == name) return runtime.registerClass(std::string("__omitted_") + name, runtime.lookUpClass("NSObject"));
    return runtime.registerClass(name, runtime.lookUpClass("NSObject"));
}

} // namespace

void registerHostClasses(objc::Runtime& runtime, DeviceFacts facts, const std::vector<std::string>& omit)
{
    Process::current().local<Facts>().facts = facts;
    objc::Class device = runtime.lookUpClass("UIDevice");
    objc::addClassMethod(device, objc::sel("tf_deviceHasFaceID"), hasFaceID);
    objc::addClassMethod(device, objc::sel("currentIsIPad"), isIPad);

    objc::Class springBoard = add(runtime, "SpringBoard", omit);
    objc::addMethod(springBoard, objc::sel("applicationDidFinishLaunching:"), nothingWithObject);

    objc::Class destination = add(runtime, "SBNotificationBannerDestination", omit);
    objc::addMethod(destination, objc::sel("init"), self);
    objc::addMethod(destination, objc::sel("postNotificationRequest:"), nothingWithObject);
    objc::addMethod(destination, objc::sel("_dismissBannerCompleted:"), nothingWithObject);
    objc::addMethod(destination, objc::sel("_cancelDismissTimer"), nothing);
    objc::addMethod(destination, objc::sel("_startDismissTimer"), nothing);
    objc::addMethod(destination, objc::sel("_dismissPresentedBannerAnimated:reason:forceIfSticky:"), dismissPresented);

    objc::Class shortLookController = add(runtime, "NCNotificationShortLookViewController", omit);
    objc::addMethod(shortLookController, objc::sel("viewDidLoad"), nothing);
    objc::addMethod(shortLookController, objc::sel("viewWillDisappear:"), nothingWithFlag);
    objc::addMethod(shortLookController, objc::sel("view"), none);
    objc::addMethod(shortLookController, objc::sel("delegate"), none);
    objc::addMethod(shortLookController, objc::sel("_presentLongLookForScrollAnimated:completion:"), presentLongLookForScroll);
    objc::addMethod(shortLookController, objc::sel("_presentLongLookViaClickPresentationInteraction:"), nothingWithObject);

    objc::Class longLookController = add(runtime, "NCNotificationLongLookViewController", omit);
    objc::addMethod(longLookController, objc::sel("viewWillAppear:"), nothingWithFlag);
    objc::addMethod(longLookController, objc::sel("viewWillDisappear:"), nothingWithFlag);

    objc::Class shortLookView = add(runtime, "NCNotificationShortLookView", omit);
    objc::addMethod(shortLookView, objc::sel("layoutSubviews"), nothing);
    for (const char* getter : {"icons", "primaryText", "secondaryText", "primarySubtitleText", "subviews", "gestureRecognizers", "_viewControllerForAncestor"})
        objc::addMethod(shortLookView, objc::sel(getter), none);
    objc::addMethod(shortLookView, objc::sel("setHidden:"), nothingWithFlag);

    objc::Class bannerWindow = add(runtime, "SBBannerWindow", omit);
    objc::addMethod(bannerWindow, objc::sel("initWithFrame:"), initWithFrame);
    objc::addMethod(bannerWindow, objc::sel("setUserInteractionEnabled:"), nothingWithFlag);

    objc::Class statusBar = add(runtime, "_UIStatusBarForegroundView", omit);
    objc::addMethod(statusBar, objc::sel("layoutSubviews"), nothing);
    objc::addMethod(statusBar, objc::sel("frame"), zeroFrame);
}

} // namespace zovo
