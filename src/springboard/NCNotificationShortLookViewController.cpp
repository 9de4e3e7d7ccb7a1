#include "springboard/NCNotificationShortLookViewController.h"

#include "objc/Message.h"
#include "springboard/BannerControllerDelegate.h"
#include "springboard/HostSupport.h"
#include "springboard/NCNotificationRequest.h"
#include "springboard/NCNotificationShortLookView.h"
#include "uikit/UIScreen.h"

#include <stdexcept>
#include <string>

using objc::StrongId;
using objc::id;
using objc::SEL;

namespace {
NCNotificationShortLookViewController* controller(id self) { return static_cast<NCNotificationShortLookViewController*>(self); }
} // namespace

bool NCNotificationShortLookViewController::presentLongLook(bool animated, std::function<void()> completion)
{
    auto* destination = objc::cast<zovo::host::BannerControllerDelegate>(delegate());
    return destination && destination->presentLongLook(this, animated, std::move(completion));
}

namespace zovo::host {

objc::Class registerShortLookViewController(objc::Runtime& runtime, const char* name)
{
    objc::Class cls = registerRequestController<NCNotificationShortLookViewController>(runtime, name);
    // The card is made with the request's content; its recognisers are attached once it has loaded.
    objc::addMethod(cls, objc::sel("loadView"), +[](id self, SEL) {
        StrongId view = objc::send<StrongId>(alloc(classes().shortLookView), "initWithFrame:", UIScreen::mainScreen()->bounds());
        auto* card = objc::cast<NCNotificationShortLookView>(view);
        if (card && controller(self)->request()) card->setContent(*controller(self)->request());
        controller(self)->setView(objc::cast<UIView>(view));
    });
    objc::addMethod(cls, objc::sel("viewDidLoad"), +[](id self, SEL) {
        objc::sendSuper(self, classes().shortLookController, "viewDidLoad");
        if (auto* card = objc::cast<NCNotificationShortLookView>(controller(self)->viewIfLoaded())) attachShortLookRecognizers(card);
    });
    objc::addMethod(cls, objc::sel("viewWillDisappear:"),
                    +[](id self, SEL, bool animated) { objc::sendSuper(self, classes().shortLookController, "viewWillDisappear:", animated); });
    objc::addMethod(cls, objc::sel("_presentLongLookForScrollAnimated:completion:"), +[](id self, SEL, bool animated, std::function<void()> completion) {
        recordCall(self, "_presentLongLookForScrollAnimated:completion:", animated, completion);
        controller(self)->presentLongLook(animated, std::move(completion));
    });
    objc::addMethod(cls, objc::sel("_presentLongLookViaClickPresentationInteraction:"), +[](id self, SEL, id interaction) {
        recordCall(self, "_presentLongLookViaClickPresentationInteraction:", interaction);
        controller(self)->presentLongLook(true, nullptr);
    });
    return cls;
}

} // namespace zovo::host
