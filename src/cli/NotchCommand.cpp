// zovorudovu notch --model ID [--faceid yes|no] [--ipad yes|no] [--screen WxH]: the notch width
// the component records for a device, in a fresh process.

#include "cli/Command.h"
#include "cli/Options.h"

#include "foundation/Process.h"
#include "objc/Message.h"
#include "sim/SimulatedPhone.h"
#include "tweak/BLNotificationBridge.h"
#include "uikit/DeviceProfile.h"

#include <nlohmann/json.hpp>

#include <memory>

namespace zovo {
namespace {

struct NotchOptions {
    std::string model;
    std::optional<std::string> faceID, iPad, screen;
};

ExitStatus notch(const NotchOptions& o, const ToolContext& tool)
{
    PhoneOptions phone;
    phone.model = o.model;
    if (o.faceID) phone.hasFaceID = parseYesNo(*o.faceID);
    if (o.iPad) phone.isIPad = parseYesNo(*o.iPad);
    if (o.screen) {
        const auto size = parseSize(*o.screen);
        phone.screen = CGSizeMake(size->first, size->second);
    }
    // A model without a profile has no facts of its own; answering for it from made-up ones
    // would look like an answer about that model.
    if (!findDeviceProfile(o.model) && !(o.faceID && o.iPad && o.screen))
        return tool.fail(ExitStatus::InputUnusable, "unknown device " + o.model +
                                                        " (see `zovorudovu devices`); for another model give --faceid, --ipad and --screen");

    Process process;
    std::unique_ptr<SpringBoardHost> host = startPhone(process, phone, ComponentStart::ClassesOnly);
    BLNotificationBridge* bridge = BLNotificationBridge::sharedInstance();
    objc::send(objc::StrongId(bridge), "notchWidthForCurrentDeviceModel");
    tool.printJson({{"model", phone.model}, {"notchWidth", bridge->notchWidth}});
    return ExitStatus::Done;
}

} // namespace

CommandRun defineNotch(CommandLine& line)
{
    line.footer("Print {\"model\": ID, \"notchWidth\": w}, the width the component records for a device in a fresh process. "
                    "Flags not given come from the model's profile; a model without one needs all three.");
    auto o = std::make_shared<NotchOptions>();
    line.option("--model", o->model, "a model identifier, such as iPhone14,2").required();
    line.option("--faceid", o->faceID, "whether the device has Face ID").check(yesNoText());
    line.option("--ipad", o->iPad, "whether the device is an iPad").check(yesNoText());
    line.option("--screen", o->screen, "the screen in points, such as 375x812").check(sizeText());
    return [o](const ToolContext& tool) { return notch(*o, tool); };
}

} // namespace zovo
