// zovorudovu devices: the built-in device profiles as a JSON array.

#include "cli/Command.h"

#include "uikit/DeviceProfile.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <iostream>

namespace zovo {

int devicesCommand(const Arguments& args)
{
    if (!args.empty()) {
        std::fprintf(stderr, "zovorudovu devices: takes no arguments (got %s)\nusage: zovorudovu devices\n", args.front().c_str());
        return 2;
    }
    auto out = nlohmann::ordered_json::array();
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
    std::cout << out.dump(2) << '\n';
    return 0;
}

} // namespace zovo
