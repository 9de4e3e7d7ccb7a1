#include "sim/SimulatedPhone.h"

#include "sim/ShippedDefaults.h"
#include "springboard/HostClasses.h"
#include "substrate/Loader.h"
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

} // namespace zovo
