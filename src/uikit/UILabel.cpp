#include "uikit/UILabel.h"

#include "foundation/NSString.h"
#include "uikit/UIColor.h"
#include "uikit/UIFont.h"

UILabel::UILabel()
    : textColor_(UIColor::blackColor())
    , font_(UIFont::systemFontOfSize(UIFont::kDefaultPointSize))
{
    // Labels show, they do not take touches: a touch on one goes to the view behind it.
    setUserInteractionEnabled(false);
}

UILabel::~UILabel() = default;

void UILabel::setText(NSString* text)
{
    std::string utf8 = text ? text->utf8() : std::string();
    const bool changed = utf8 != utf8_ || static_cast<bool>(text) != static_cast<bool>(text_);
    // A copy, as the platform's property does, so a caller's later changes cannot reach it.
    text_ = text ? NSString::from(utf8) : nullptr;
    utf8_ = std::move(utf8);
    if (changed) textGeometryChanged();
}

void UILabel::setTextString(std::string_view text) { setText(NSString::from(text).get()); }

void UILabel::setTextColor(UIColor* colour) { textColor_ = colour ? objc::StrongRef<UIColor>(colour) : UIColor::blackColor(); }

void UILabel::setFont(UIFont* font)
{
    font_ = font ? objc::StrongRef<UIFont>(font) : UIFont::systemFontOfSize(UIFont::kDefaultPointSize);
    textGeometryChanged();
}

void UILabel::setLineBreakMode(NSLineBreakMode mode)
{
    if (mode == lineBreakMode_) return;
    lineBreakMode_ = mode;
    textGeometryChanged();
}

void UILabel::setNumberOfLines(std::int64_t lines)
{
    if (lines == numberOfLines_) return;
    numberOfLines_ = lines;
    textGeometryChanged();
}

CGSize UILabel::sizeThatFits(CGSize size) const
{
    const bool wraps = numberOfLines_ != 1 && size.width > 0;
    return measure(wraps ? size.width : 0);
}

CGSize UILabel::intrinsicContentSize() const
{
    // Without a preferred maximum width, a multi-line label wraps at the width it has been given.
    const double width = frame().size.width;
    return measure(numberOfLines_ != 1 && width > 0 ? width : 0);
}

zovo::TextStyle UILabel::textStyle() const
{
    zovo::TextStyle style;
    style.font = font_->descriptor();
    style.rgba[0] = textColor_->red();
    style.rgba[1] = textColor_->green();
    style.rgba[2] = textColor_->blue();
    style.rgba[3] = textColor_->alpha();
    style.alignment = textAlignment_;
    style.lineBreakMode = lineBreakMode_;
    style.numberOfLines = numberOfLines_;
    return style;
}

CGSize UILabel::measure(double width) const
{
    if (measured_ && measured_->width == width) return measured_->size;
    const CGSize size = zovo::measureText(utf8_, font_->descriptor(), width, numberOfLines_, lineBreakMode_).size;
    measured_ = Measured{width, size};
    return size;
}

void UILabel::textGeometryChanged()
{
    measured_.reset();
    setNeedsLayout();
    if (UIView* parent = superview()) parent->setNeedsLayout();
}
