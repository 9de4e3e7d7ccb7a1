#include "springboard/NCNotificationLongLookViewController.h"

#include "foundation/NSString.h"
#include "objc/Message.h"
#include "springboard/HostDefaults.h"
#include "springboard/BannerControllerDelegate.h"
#include "springboard/HostSupport.h"
#include "springboard/NCNotificationRequest.h"
#include "springboard/PLPlatterHeaderContentView.h"
#include "uikit/CALayer.h"
#include "uikit/UIColor.h"
#include "uikit/UIFont.h"
#include "uikit/UILabel.h"
#include "uikit/UIScreen.h"
#include "uikit/UITapGestureRecognizer.h"

#include <algorithm>
#include <stdexcept>
#include <string>

using objc::StrongId;
using objc::id;
using objc::SEL;

namespace {

NCNotificationLongLookViewController* controller(id self) { return static_cast<NCNotificationLongLookViewController*>(self); }

// Adds a label under the previous line of the card, unless its text is empty.
void addLine(UIView& card, double& y, double width, const std::string& text, objc::StrongRef<UIFont> font)
{
    if (text.empty()) return;
    auto label = objc::make<UILabel>();
    label->setFont(font.get());
    label->setNumberOfLines(0);
    label->setTextString(text);
    y += zovo::kBannerLineGap;
    const double height = label->sizeThatFits(CGSizeMake(width, 0)).height;
    label->setFrame(CGRectMake(zovo::kBannerPadding, y, width, height));
    card.addSubview(label.get());
    y += height;
}

} // namespace

void NCNotificationLongLookViewController::buildView()
{
    using namespace zovo;
    using namespace zovo::host;
    const CGRect screen = UIScreen::mainScreen()->bounds();
    auto dimmed = makeView<UIView>(screen);
    dimmed->setBackgroundColor(UIColor::colorWithRed(0, 0, 0, kLongLookDimAlpha).get());

    const bool portrait = screen.size.width <= screen.size.height;
    const double top = portrait ? UIScreen::mainScreen()->device().statusBarHeight : kBannerMargin;
    card_ = makeView<UIView>(cardFrameOnScreen(screen, top, 0));
    const double width = card_->frame().size.width;
    const double inner = std::max(0.0, width - 2 * kBannerPadding);
    card_->setBackgroundColor(UIColor::colorWithRed(0.97, 0.97, 0.97, 1.0).get());
    card_->layer()->setCornerRadius(kBannerCornerRadius);
    card_->setClipsToBounds(true);

    // A controller made without a request shows an empty card.
    auto text = [&](std::string NCNotificationRequest::*field) { return request_ ? request_.get()->*field : std::string(); };
    auto header = zovo::host::make<PLPlatterHeaderContentView>(classes().header);
    header->setContent(request_ ? request_->icon.get() : nullptr, text(&NCNotificationRequest::appName), text(&NCNotificationRequest::dateText));
    header->setFrame(CGRectMake(kBannerPadding, kBannerPadding, inner, kBannerHeaderHeight));
    card_->addSubview(header.get());
    double y = kBannerPadding + kBannerHeaderHeight;
    addLine(*card_, y, inner, text(&NCNotificationRequest::title), UIFont::boldSystemFontOfSize(kTitleFontSize));
    addLine(*card_, y, inner, text(&NCNotificationRequest::subtitle), UIFont::boldSystemFontOfSize(kTitleFontSize));
    addLine(*card_, y, inner, text(&NCNotificationRequest::message), UIFont::systemFontOfSize(kMessageFontSize));
    card_->setFrame(CGRectMake(card_->frame().origin.x, top, width, y + kBannerPadding));
    dimmed->addSubview(card_.get());

    StrongId tap = objc::send<StrongId>(objc::send<StrongId>(objc::objc_getClass("UITapGestureRecognizer"), "alloc"), "initWithTarget:action:", this,
                            objc::sel("_handleDimmingTap:"));
    dimmed->addGestureRecognizer(objc::cast<UIGestureRecognizer>(tap));
    setView(dimmed.get());
}

namespace zovo::host {

objc::Class registerLongLookViewController(objc::Runtime& runtime, const char* name)
{
    objc::Class cls = registerRequestController<NCNotificationLongLookViewController>(runtime, name);
    objc::addMethod(cls, objc::sel("loadView"), +[](id self, SEL) { controller(self)->buildView(); });
    objc::addMethod(cls, objc::sel("viewWillAppear:"),
                    +[](id self, SEL, bool animated) { objc::sendSuper(self, classes().longLookController, "viewWillAppear:", animated); });
    objc::addMethod(cls, objc::sel("viewWillDisappear:"),
                    +[](id self, SEL, bool animated) { objc::sendSuper(self, classes().longLookController, "viewWillDisappear:", animated); });
    // Only a tap outside the card closes the long look; one on the card itself does nothing.
    objc::addMethod(cls, objc::sel("_handleDimmingTap:"), +[](id self, SEL, id recognizer) {
        auto* longLook = controller(self);
        auto* tap = objc::cast<UIGestureRecognizer>(recognizer);
        if (tap && longLook->card() && CGRectContainsPoint(longLook->card()->frame(), tap->locationInView(longLook->viewIfLoaded()))) return;
        if (auto* destination = objc::cast<BannerControllerDelegate>(longLook->delegate())) destination->closeLongLook();
    });
    return cls;
}

} // namespace zovo::host
