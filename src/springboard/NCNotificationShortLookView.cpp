#include "springboard/NCNotificationShortLookView.h"

#include "foundation/NSArray.h"
#include "foundation/NSString.h"
#include "objc/Message.h"
#include "springboard/HostDefaults.h"
#include "springboard/HostSupport.h"
#include "springboard/NCNotificationRequest.h"
#include "springboard/PLPlatterHeaderContentView.h"
#include "uikit/CALayer.h"
#include "uikit/UIColor.h"
#include "uikit/UIFont.h"
#include "uikit/UILongPressGestureRecognizer.h"
#include "uikit/UIViewController.h"

#include <algorithm>

using objc::StrongId;
using objc::id;
using objc::SEL;

namespace {

NCNotificationShortLookView* card(id self) { return static_cast<NCNotificationShortLookView*>(self); }

objc::StrongRef<UILabel> makeLabel(double fontSize, bool bold, std::int64_t lines)
{
    auto label = objc::make<UILabel>();
    label->setFont((bold ? UIFont::boldSystemFontOfSize(fontSize) : UIFont::systemFontOfSize(fontSize)).get());
    label->setNumberOfLines(lines);
    return label;
}

void setText(UILabel& label, const std::string& text) { label.setText(text.empty() ? nullptr : NSString::from(text).get()); }

} // namespace

NCNotificationShortLookView::NCNotificationShortLookView()
    : header_(zovo::host::make<PLPlatterHeaderContentView>(zovo::host::classes().header)), titleLabel_(makeLabel(zovo::kTitleFontSize, true, 1)),
      subtitleLabel_(makeLabel(zovo::kTitleFontSize, true, 1)), messageLabel_(makeLabel(zovo::kMessageFontSize, false, zovo::kBannerMessageLines))
{
    setBackgroundColor(UIColor::colorWithRed(0.97, 0.97, 0.97, 0.94).get());
    layer()->setCornerRadius(zovo::kBannerCornerRadius);
    setClipsToBounds(true);
    addSubview(header_.get());
    addSubview(titleLabel_.get());
    addSubview(subtitleLabel_.get());
    addSubview(messageLabel_.get());
}

NCNotificationShortLookView::~NCNotificationShortLookView() = default;

void NCNotificationShortLookView::setContent(const NCNotificationRequest& request)
{
    icon_ = request.icon;
    header_->setContent(request.icon.get(), request.appName, request.dateText);
    setText(*titleLabel_, request.title);
    setText(*subtitleLabel_, request.subtitle);
    setText(*messageLabel_, request.message);
}

objc::StrongRef<NSArray> NCNotificationShortLookView::icons() const
{
    std::vector<StrongId> list;
    if (icon_) list.emplace_back(icon_.get());
    return NSArray::from(std::move(list));
}

double NCNotificationShortLookView::placeLines(double width, bool apply) const
{
    using namespace zovo;
    const double inner = std::max(0.0, width - 2 * kBannerPadding);
    double y = kBannerPadding;
    auto place = [&](UIView& view, double height) {
        if (apply) view.setFrame(CGRectMake(kBannerPadding, y, inner, height));
        y += height;
    };
    place(*header_, kBannerHeaderHeight);
    for (UILabel* label : {titleLabel_.get(), subtitleLabel_.get(), messageLabel_.get()}) {
        if (label->textString().empty()) {
            if (apply) label->setFrame(CGRectMake(kBannerPadding, y, inner, 0));
            continue;
        }
        y += kBannerLineGap;
        place(*label, label->sizeThatFits(CGSizeMake(inner, 0)).height);
    }
    return y + kBannerPadding;
}

CGSize NCNotificationShortLookView::sizeThatFits(CGSize size) const { return CGSizeMake(size.width, placeLines(size.width, false)); }

void NCNotificationShortLookView::layoutSubviews() { placeLines(bounds().size.width, true); }

namespace zovo::host {

objc::Class registerShortLookView(objc::Runtime& runtime, const char* name)
{
    objc::Class cls = runtime.registerClass(name, runtime.lookUpClass("UIView"), []() -> objc::Object* { return new NCNotificationShortLookView(); });
    objc::addMethod(cls, objc::sel("layoutSubviews"), +[](id self, SEL) { card(self)->layoutSubviews(); });
    objc::addMethod(cls, objc::sel("icons"), +[](id self, SEL) -> StrongId { return card(self)->icons(); });
    objc::addMethod(cls, objc::sel("primaryText"), +[](id self, SEL) -> StrongId { return card(self)->primaryText(); });
    objc::addMethod(cls, objc::sel("primarySubtitleText"), +[](id self, SEL) -> StrongId { return card(self)->primarySubtitleText(); });
    objc::addMethod(cls, objc::sel("secondaryText"), +[](id self, SEL) -> StrongId { return card(self)->secondaryText(); });
    // A press held on the card opens the long look, once, as it is recognised.
    objc::addMethod(cls, objc::sel("_handlePress:"), +[](id self, SEL, id recognizer) {
        if (objc::send<std::int64_t>(recognizer, "state") != UIGestureRecognizerStateBegan) return;
        StrongId controller = objc::send<StrongId>(self, "_viewControllerForAncestor");
        if (objc::respondsTo(controller, objc::sel("_presentLongLookViaClickPresentationInteraction:")))
            objc::send(controller, "_presentLongLookViaClickPresentationInteraction:", static_cast<id>(nullptr));
    });
    return cls;
}

void attachShortLookRecognizers(NCNotificationShortLookView* view)
{
    StrongId press = objc::send<StrongId>(objc::send<StrongId>(objc::objc_getClass("UILongPressGestureRecognizer"), "alloc"), "initWithTarget:action:", view,
                              objc::sel("_handlePress:"));
    objc::send(view, "addGestureRecognizer:", press);
    StrongId tap = objc::send<StrongId>(alloc(classes().tapRecognizer), "init");
    objc::send(view, "addGestureRecognizer:", tap);
}

} // namespace zovo::host
