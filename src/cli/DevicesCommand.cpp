// zovorudovu devices: the built-in device profiles as a JSON array.

#include "cli/Command.h"
#include "cli/Options.h"
#include "foundation/Json.h"

#include "uikit/DeviceProfile.h"

#include <nlohmann/json.hpp>

namespace zovo {

CommandRun defineDevices(CommandLine& line)
{
    line.footer("Print the built-in device profiles: model identifier, name, screen size in points, scale, Face ID, iPad, "
                    "status-bar height and the notch's drawn size, as a JSON array.");
    return [](const ToolContext& tool) {
        auto out = Json::array();
        for (const DeviceProfile& p : deviceProfiles()) {
            out.push_back({{"model", p.model},
                           {"name", p.name},
                           {"screen", {p.screen.width, p.screen.height}},
                           {"scale", p.scale},
                           {"faceID", p.hasFaceID},
                           {"iPad", p.isIPad},
                           {"statusBarHeight", p.statusBarHeight},
                           {"notch", {p.notch.width, p.notch.height}}});
        }
        tool.printJson(out);
        return ExitStatus::Done;
    };
}

} // namespace zovo
