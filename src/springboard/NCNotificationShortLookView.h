// The system's notification card as a banner shows it: a rounded card holding a header (icon, app
// name, date), a title, a subtitle and a message, built from ordinary views and labels so that any
// view renderer draws it. Its gesture recognisers are a long press, which opens the long look, and
// last a tap, which performs the default action.
#pragma once

#include "foundation/NSArray.h"
#include "foundation/NSString.h"
#include "uikit/UILabel.h"
#include "uikit/UIView.h"

class NCNotificationRequest;
class NCNotificationTapGestureRecognizer;
class PLPlatterHeaderContentView;
class UIImage;
class UILongPressGestureRecognizer;

class NCNotificationShortLookView : public UIView {
public:
    static constexpr const char* kClassName = "NCNotificationShortLookView";

    NCNotificationShortLookView();
    ~NCNotificationShortLookView() override;

    // Fills the card from a request. Empty texts leave their lines out.
    void setContent(const NCNotificationRequest& request);

    // The card's content, as the getters of the same names answer it: nil for empty texts, and a
    // list of one icon or none.
    objc::StrongRef<NSArray> icons() const;
    objc::StrongRef<NSString> primaryText() const { return objc::retained(titleLabel_->text()); }
    objc::StrongRef<NSString> primarySubtitleText() const { return objc::retained(subtitleLabel_->text()); }
    objc::StrongRef<NSString> secondaryText() const { return objc::retained(messageLabel_->text()); }

    PLPlatterHeaderContentView* header() const { return header_.get(); }

    // The card's height for a width (the width is kept).
    CGSize sizeThatFits(CGSize size) const override;
    void layoutSubviews() override;

private:
    // Lays the lines out top to bottom for `width`; returns the card's height.
    double placeLines(double width, bool apply) const;

    objc::StrongRef<UIImage> icon_;
    objc::StrongRef<PLPlatterHeaderContentView> header_;
    objc::StrongRef<UILabel> titleLabel_;
    objc::StrongRef<UILabel> subtitleLabel_;
    objc::StrongRef<UILabel> messageLabel_;
};

namespace zovo::host {
// Registers the class with layoutSubviews, the content getters and the long press's action.
objc::Class registerShortLookView(objc::Runtime& runtime, const char* name);
// Attaches the card's recognisers (made from the process's host classes), the tap last.
void attachShortLookRecognizers(NCNotificationShortLookView* view);
} // namespace zovo::host
