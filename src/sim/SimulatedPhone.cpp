#include "sim/SimulatedPhone.h"

#include "foundation/NSNotificationCenter.h"
#include "foundation/NSString.h"
#include "foundation/RunLoop.h"
#include "objc/Message.h"
#include "sim/ShippedDefaults.h"
#include "springboard/HostClasses.h"
#include "substrate/Loader.h"
#include "tweak/BLNotificationBridge.h"
#include "tweak/Tweak.h"
#include "uikit/UIDevice.h"
#include "uikit/UIKitClasses.h"
#include "uikit/UIScreen.h"

#include <fstream>

namespace zovo {

PhoneFacts startPhone(Process& process, const PhoneOptions& options, ComponentStart start)
{
    PhoneFacts facts{findDeviceProfile(options.model), true, false, CGSizeMake(375, 812)};
    if (facts.profile) {
        facts.hasFaceID = facts.profile->hasFaceID;
        facts.isIPad = facts.profile->isIPad;
        facts.screen = facts.profile->screen;
    }
    if (options.hasFaceID) facts.hasFaceID = *options.hasFaceID;
    if (options.isIPad) facts.isIPad = *options.isIPad;
    if (options.screen) facts.screen = *options.screen;

    if (options.installDefaults) {
        std::ofstream(process.hostPath(zovorudovu::kDefaultsPath), std::ios::binary) << kShippedDefaults;
    }
    registerUIKitClasses(process.runtime());
    registerHostClasses(process.runtime(), DeviceFacts{facts.hasFaceID, facts.isIPad});
    UIScreen::useDevice(facts.profile ? *facts.profile : defaultDeviceProfile());
    UIScreen::mainScreen()->setPortraitSize(facts.screen);
    UIDevice::setModelIdentifier(options.model);
    if (start == ComponentStart::Load) Loader::load(process.runtime(), zovorudovu::library());
    else zovorudovu::registerClasses(process.runtime());
    return facts;
}

PresentedBanner presentOneBanner(Process& process, const BannerContent& content)
{
    BLNotificationBridge* bridge = BLNotificationBridge::sharedInstance();
    bridge->safeYPos = static_cast<float>(content.safeY);

    PresentedBanner shown;
    shown.springBoard = objc::send<objc::Id>(objc::objc_getClass("SpringBoard"), "new");
    objc::send(shown.springBoard, "applicationDidFinishLaunching:", shown.springBoard);
    NSNotificationCenter* centre = NSNotificationCenter::defaultCenter();
    centre->post(zovorudovu::kPresent);
    process.mainRunLoop().advance(0.3);

    bridge->icon = content.icon;
    bridge->primaryText = NSString::from(content.title);
    bridge->secondaryText = NSString::from(content.message);
    bridge->dateText = content.date ? objc::Id(NSString::from(*content.date)) : objc::Id();
    centre->post(zovorudovu::kUpdateContent);

    if (!objc::respondsTo(shown.springBoard, objc::sel("brimlight"))) return shown; // the component is off
    shown.window = objc::send<objc::Id>(shown.springBoard, "brimlight");
    objc::send(shown.window, "layoutIfNeeded");
    return shown;
}

} // namespace zovo
