// The expanded notification (the long look): the card grown to its whole message over a dimmed
// screen. A tap on the dimmed part closes it, as does SpringBoardHost::closeLongLook().
#pragma once

#include "springboard/NCNotificationRequest.h"
#include "uikit/UIViewController.h"

class UILabel;

class NCNotificationLongLookViewController : public UIViewController {
public:
    static constexpr const char* kClassName = "NCNotificationLongLookViewController";

    NCNotificationRequest* request() const { return request_.get(); }
    void setRequest(NCNotificationRequest* request) { request_ = objc::retained(request); }
    // Held weakly: the presenter owns the controller.
    objc::Object* delegate() const { return delegate_.get(); }
    void setDelegate(objc::id delegate) { delegate_ = delegate; }

    // The card inside the view, once loaded.
    UIView* card() const { return card_.get(); }

    // Builds the dimmed screen and the card from the request.
    void buildView();

private:
    objc::StrongRef<NCNotificationRequest> request_;
    objc::WeakRef<objc::Object> delegate_;
    objc::StrongRef<UIView> card_;
};

namespace zovo::host {
// Registers initWithNotificationRequest:, delegate, setDelegate:, loadView, viewWillAppear:,
// viewWillDisappear: and the dimmed screen's tap action _handleDimmingTap:.
objc::Class registerLongLookViewController(objc::Runtime& runtime, const char* name);
} // namespace zovo::host
