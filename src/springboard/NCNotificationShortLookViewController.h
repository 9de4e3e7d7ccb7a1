// The view controller of one banner: it holds the notification request, loads the card
// (NCNotificationShortLookView) as its view, and presents the long look through its delegate, the
// object that presented it (for a banner, the banner destination).
#pragma once

#include "springboard/NCNotificationRequest.h"
#include "uikit/UIViewController.h"

#include <functional>


class NCNotificationShortLookViewController : public UIViewController {
public:
    static constexpr const char* kClassName = "NCNotificationShortLookViewController";

    NCNotificationRequest* request() const { return request_.get(); }
    void setRequest(NCNotificationRequest* request) { request_ = objc::retained(request); }
    // Held weakly: the presenter owns the controller.
    objc::Object* delegate() const { return delegate_.get(); }
    void setDelegate(objc::id delegate) { delegate_ = delegate; }

    // Asks the delegate, when it is a banner destination, to open the long look; false when it
    // did not (another presenter, a banner on its way out, a long look already open).
    bool presentLongLook(bool animated, std::function<void()> completion);

private:
    objc::StrongRef<NCNotificationRequest> request_;
    objc::WeakRef<objc::Object> delegate_;
};

namespace zovo::host {
// Registers initWithNotificationRequest:, delegate, setDelegate:, loadView, viewDidLoad,
// viewWillDisappear:, _presentLongLookForScrollAnimated:completion: and
// _presentLongLookViaClickPresentationInteraction:.
objc::Class registerShortLookViewController(objc::Runtime& runtime, const char* name);
} // namespace zovo::host
