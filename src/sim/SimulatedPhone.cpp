#include "sim/SimulatedPhone.h"

#include "foundation/NSNotificationCenter.h"
#include "foundation/NSString.h"
#include "foundation/RunLoop.h"
#include "objc/Message.h"
#include "sim/ShippedDefaults.h"
#include "springboard/SpringBoard.h"
#include "tweak/BLNotificationBridge.h"
#include "tweak/Tweak.h"

#include <fstream>

namespace zovo {

std::unique_ptr<SpringBoardHost> startPhone(Process& process, const PhoneOptions& options, ComponentStart start)
{
    if (options.installDefaults) {
        std::ofstream(process.hostPath(zovorudovu::kDefaultsPath), std::ios::binary) << kShippedDefaults;
    }
    HostOptions host;
    host.model = options.model;
    host.hasFaceID = options.hasFaceID;
    host.isIPad = options.isIPad;
    host.screen = options.screen;
    host.orientation = options.orientation;
    host.bannerDuration = options.bannerDuration;
    if (start == ComponentStart::Load) host.libraries = {zovorudovu::library()};
    auto phone = std::make_unique<SpringBoardHost>(process, host);
    phone->launch();
    if (start == ComponentStart::ClassesOnly) zovorudovu::registerClasses(process.runtime());
    return phone;
}

objc::StrongId presentOneBanner(Process& process, SpringBoardHost& host, const BannerContent& content)
{
    BLNotificationBridge* bridge = BLNotificationBridge::sharedInstance();
    bridge->safeYPos = static_cast<float>(content.safeY);

    NSNotificationCenter* centre = NSNotificationCenter::defaultCenter();
    centre->post(zovorudovu::kPresent);
    process.mainRunLoop().advance(0.3);

    bridge->icon = content.icon;
    bridge->primaryText = NSString::from(content.title);
    bridge->secondaryText = NSString::from(content.message);
    bridge->dateText = content.date ? objc::StrongId(NSString::from(*content.date)) : objc::StrongId();
    centre->post(zovorudovu::kUpdateContent);

    objc::id app = host.springBoard();
    if (!objc::respondsTo(app, objc::sel("brimlight"))) return nullptr; // the component is off
    objc::StrongId window = objc::send<objc::StrongId>(app, "brimlight");
    objc::send(window, "layoutIfNeeded");
    return window;
}

} // namespace zovo
