// What the banner's view controllers ask of their delegate, the banner destination: the card was
// tapped, the long look should open, the long look should close. The controllers hold their
// delegate weakly and reach it through this, so they need not know the destination itself.
#pragma once

#include <functional>

class NCNotificationShortLookViewController;

namespace zovo::host {

class BannerControllerDelegate {
public:
    // From the presented banner's card; any other controller is ignored.
    virtual void performDefaultAction(NCNotificationShortLookViewController* from) = 0;
    // From a short-look controller; false when it is not the presented banner's or a long look is
    // already open. `completion` runs once the long look has appeared.
    virtual bool presentLongLook(NCNotificationShortLookViewController* from, bool animated, std::function<void()> completion) = 0;
    // Closes the long look and then dismisses the banner. False when no long look is open.
    virtual bool closeLongLook() = 0;

protected:
    ~BannerControllerDelegate() = default;
};

} // namespace zovo::host
