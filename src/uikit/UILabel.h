// Labels: a view that shows a text in one font and colour, on one line or wrapped onto several.
//
//   auto label = makeView<UILabel>(CGRectMake(0, 25, 189, 0));
//   label->setNumberOfLines(0);
//   label->setTextString("A message long enough to wrap");
//   label->sizeToFit();   // wraps at 189 points: as many lines as the text needs
//
// Sizing follows the platform: a label limited to one line measures its whole text on one line;
// any other label wraps at the width it is given (sizeThatFits) or at its own width
// (intrinsicContentSize), and takes its natural single-line size when that width is zero.
// Sizes are whole points, rounded up.
#pragma once

#include "uikit/TextLayout.h"
#include "uikit/UIView.h"

#include <optional>
#include <string>
#include <string_view>

class NSString;

class UILabel : public UIView {
public:
    static constexpr const char* kClassName = "UILabel";

    UILabel();
    ~UILabel() override;

    // Nil once cleared (and at first); the label keeps its own copy of the text.
    NSString* text() const { return text_.get(); }
    void setText(NSString* text);
    // The text as UTF-8, empty when there is none, for tools and the renderer.
    const std::string& textString() const { return utf8_; }
    void setTextString(std::string_view text);

    // Nil restores the default: black for the colour, the system font of 17 points for the font.
    UIColor* textColor() const { return textColor_.get(); }
    void setTextColor(UIColor* colour);
    UIFont* font() const { return font_.get(); }
    void setFont(UIFont* font);

    // Defaults: truncating the tail, one line, left alignment. Values are kept as given; unknown
    // line-break modes lay out as truncating the tail and a negative number of lines as no limit.
    NSLineBreakMode lineBreakMode() const { return lineBreakMode_; }
    void setLineBreakMode(NSLineBreakMode mode);
    std::int64_t numberOfLines() const { return numberOfLines_; }
    void setNumberOfLines(std::int64_t lines);
    NSTextAlignment textAlignment() const { return textAlignment_; }
    void setTextAlignment(NSTextAlignment alignment) { textAlignment_ = alignment; }

    CGSize sizeThatFits(CGSize size) const override;
    CGSize intrinsicContentSize() const override;

    // How the text is drawn, for the renderer: draw textString() with it in the label's bounds.
    zovo::TextStyle textStyle() const;

private:
    // The size of the text wrapped at `width` (0: not wrapped), remembered for the last width.
    CGSize measure(double width) const;
    // Forgets the remembered size and asks for a new layout of the label and its superview.
    void textGeometryChanged();

    objc::StrongRef<NSString> text_;
    std::string utf8_;
    objc::StrongRef<UIColor> textColor_;
    objc::StrongRef<UIFont> font_;
    NSLineBreakMode lineBreakMode_ = NSLineBreakByTruncatingTail;
    std::int64_t numberOfLines_ = 1;
    // The platform's default is natural alignment (4); a label here starts at left (0), which
    // draws left-to-right text in the same place.
    NSTextAlignment textAlignment_ = NSTextAlignmentLeft;

    struct Measured {
        double width;
        CGSize size;
    };
    mutable std::optional<Measured> measured_;
};
