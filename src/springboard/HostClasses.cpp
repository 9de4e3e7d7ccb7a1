#include "springboard/HostClasses.h"

#include "objc/Message.h"
#include "springboard/HostSupport.h"
#include "springboard/NCNotificationLongLookViewController.h"
#include "springboard/NCNotificationRequest.h"
#include "springboard/NCNotificationShortLookView.h"
#include "springboard/NCNotificationShortLookViewController.h"
#include "springboard/NCNotificationTapGestureRecognizer.h"
#include "springboard/PLPlatterHeaderContentView.h"
#include "springboard/SBBannerWindow.h"
#include "springboard/SBNotificationBannerDestination.h"
#include "springboard/SpringBoard.h"
#include "springboard/UIStatusBarForegroundView.h"

#include <algorithm>
#include <stdexcept>

using objc::id;
using objc::SEL;

namespace zovo {
namespace {

bool hasFaceID(id, SEL) { return host::config().facts.hasFaceID; }
bool isIPad(id, SEL) { return host::config().facts.isIPad; }

} // namespace

void setHostDeviceFacts(DeviceFacts facts) { host::config().facts = facts; }

void registerHostClasses(objc::Runtime& runtime, DeviceFacts facts, const std::vector<std::string>& omit)
{
    setHostDeviceFacts(facts);
    host::ClassTable& table = host::classes();
    if (table.springBoard) return;
    objc::Class device = runtime.lookUpClass("UIDevice");
    if (!device || !runtime.lookUpClass("UIViewController"))
        throw std::logic_error("registerHostClasses: UIKit's classes must be registered first");
    objc::addClassMethod(device, objc::sel("tf_deviceHasFaceID"), hasFaceID);
    objc::addClassMethod(device, objc::sel("currentIsIPad"), isIPad);

    // A class left out keeps its methods under a private name, so nothing finds it by its
    // system name.
    auto named = [&](const char* system) {
        const bool left = std::find(omit.begin(), omit.end(), system) != omit.end();
        return left ? std::string("__omitted_") + system : std::string(system);
    };
    table.request = host::registerNotificationRequest(runtime, named(NCNotificationRequest::kClassName).c_str());
    table.header = host::registerPlatterHeaderContentView(runtime, named(PLPlatterHeaderContentView::kClassName).c_str());
    table.tapRecognizer = host::registerTapGestureRecognizer(runtime, named(NCNotificationTapGestureRecognizer::kClassName).c_str());
    table.shortLookView = host::registerShortLookView(runtime, named(NCNotificationShortLookView::kClassName).c_str());
    table.shortLookController = host::registerShortLookViewController(runtime, named(NCNotificationShortLookViewController::kClassName).c_str());
    table.longLookController = host::registerLongLookViewController(runtime, named(NCNotificationLongLookViewController::kClassName).c_str());
    table.bannerWindow = host::registerBannerWindow(runtime, named(SBBannerWindow::kClassName).c_str());
    table.statusBarView = host::registerStatusBarForegroundView(runtime, named(UIStatusBarForegroundView::kClassName).c_str());
    table.destination = host::registerBannerDestination(runtime, named(SBNotificationBannerDestination::kClassName).c_str());
    table.springBoard = host::registerSpringBoard(runtime, named(SpringBoard::kClassName).c_str());
}

} // namespace zovo
