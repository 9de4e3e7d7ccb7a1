// The header line of a notification card: the app's icon, the app's name and the date, left to
// right. Answers setDateFormatStyle:, title and _dateLabel, by which a reader of the card tells the
// header from the card's other subviews.
#pragma once

#include "foundation/NSString.h"
#include "uikit/UIImageView.h"
#include "uikit/UILabel.h"
#include "uikit/UIView.h"

#include <cstdint>
#include <string>

class UIImage;

class PLPlatterHeaderContentView : public UIView {
public:
    static constexpr const char* kClassName = "PLPlatterHeaderContentView";

    PLPlatterHeaderContentView();
    ~PLPlatterHeaderContentView() override;

    // Empty text, or no icon, leaves that part blank. An empty date shows kDateTextForNow.
    void setContent(UIImage* icon, const std::string& title, const std::string& dateText);

    // The app's name line, or nil when there is none.
    objc::StrongRef<NSString> title() const;
    UILabel* dateLabel() const { return dateLabel_.get(); }
    UIImageView* iconView() const { return iconView_.get(); }
    std::int64_t dateFormatStyle() const { return dateFormatStyle_; }
    // Kept as given: the date text stays what the request says, whatever the style.
    void setDateFormatStyle(std::int64_t style) { dateFormatStyle_ = style; }

    void layoutSubviews() override;

private:
    objc::StrongRef<UIImageView> iconView_;
    objc::StrongRef<UILabel> titleLabel_;
    objc::StrongRef<UILabel> dateLabel_;
    std::int64_t dateFormatStyle_;
};

namespace zovo::host {
objc::Class registerPlatterHeaderContentView(objc::Runtime& runtime, const char* name);
} // namespace zovo::host
