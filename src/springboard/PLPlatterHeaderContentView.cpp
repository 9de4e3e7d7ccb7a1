#include "springboard/PLPlatterHeaderContentView.h"

#include "foundation/NSString.h"
#include "objc/Message.h"
#include "objc/Runtime.h"
#include "springboard/HostDefaults.h"
#include "uikit/UIColor.h"
#include "uikit/UIFont.h"
#include "uikit/UIImage.h"

#include <algorithm>

using objc::StrongId;
using objc::id;
using objc::SEL;

namespace {
objc::StrongRef<UIColor> headerColor() { return UIColor::colorWithRed(0.45, 0.45, 0.47, 1.0); }
PLPlatterHeaderContentView* header(id self) { return static_cast<PLPlatterHeaderContentView*>(self); }
} // namespace

PLPlatterHeaderContentView::PLPlatterHeaderContentView()
    : iconView_(objc::make<UIImageView>()), titleLabel_(objc::make<UILabel>()), dateLabel_(objc::make<UILabel>()),
      dateFormatStyle_(zovo::kRelativeDateFormatStyle)
{
    for (UILabel* label : {titleLabel_.get(), dateLabel_.get()}) {
        label->setFont(UIFont::systemFontOfSize(zovo::kHeaderFontSize).get());
        label->setTextColor(headerColor().get());
    }
    dateLabel_->setTextAlignment(NSTextAlignmentRight);
    addSubview(iconView_.get());
    addSubview(titleLabel_.get());
    addSubview(dateLabel_.get());
}

PLPlatterHeaderContentView::~PLPlatterHeaderContentView() = default;

void PLPlatterHeaderContentView::setContent(UIImage* icon, const std::string& title, const std::string& dateText)
{
    iconView_->setImage(icon);
    titleLabel_->setText(title.empty() ? nullptr : NSString::from(title).get());
    dateLabel_->setTextString(dateText.empty() ? zovo::kDateTextForNow : dateText);
}

objc::StrongRef<NSString> PLPlatterHeaderContentView::title() const { return objc::retained(titleLabel_->text()); }

void PLPlatterHeaderContentView::layoutSubviews()
{
    // Icon square at the left, the date at its natural width on the right, the name between.
    const CGRect b = bounds();
    const double side = b.size.height;
    iconView_->setFrame(CGRectMake(0, 0, side, side));
    const double dateWidth = std::min(dateLabel_->sizeThatFits(CGSizeMake(0, 0)).width, b.size.width / 2);
    dateLabel_->setFrame(CGRectMake(b.size.width - dateWidth, 0, dateWidth, side));
    const double nameX = side + zovo::kBannerMargin;
    titleLabel_->setFrame(CGRectMake(nameX, 0, std::max(0.0, b.size.width - dateWidth - nameX - zovo::kBannerLineGap), side));
}

namespace zovo::host {

objc::Class registerPlatterHeaderContentView(objc::Runtime& runtime, const char* name)
{
    objc::Class cls = runtime.registerClass(name, runtime.lookUpClass("UIView"), []() -> objc::Object* { return new PLPlatterHeaderContentView(); });
    objc::addMethod(cls, objc::sel("title"), +[](id self, SEL) -> StrongId { return header(self)->title(); });
    objc::addMethod(cls, objc::sel("_dateLabel"), +[](id self, SEL) -> StrongId { return StrongId(header(self)->dateLabel()); });
    objc::addMethod(cls, objc::sel("dateFormatStyle"), +[](id self, SEL) { return header(self)->dateFormatStyle(); });
    objc::addMethod(cls, objc::sel("setDateFormatStyle:"), +[](id self, SEL, std::int64_t style) { header(self)->setDateFormatStyle(style); });
    return cls;
}

} // namespace zovo::host
