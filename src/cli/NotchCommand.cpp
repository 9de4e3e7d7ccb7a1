// zovorudovu notch --model ID [--faceid yes|no] [--ipad yes|no] [--screen WxH]: the notch width
// the component records for a device, in a fresh process.

#include "cli/Command.h"

#include "foundation/Process.h"
#include "objc/Message.h"
#include "cli/Options.h"
#include "sim/SimulatedPhone.h"
#include "tweak/BLNotificationBridge.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <iostream>

namespace zovo {
namespace {

constexpr OptionDefinition kOptions[] = {{"--model", "ID"}, {"--faceid", "yes|no"}, {"--ipad", "yes|no"}, {"--screen", "WxH"}};

int usageError(const std::string& message)
{
    std::fprintf(stderr, "zovorudovu notch: %s\nusage: zovorudovu notch --model ID [--faceid yes|no] [--ipad yes|no] [--screen WxH]\n", message.c_str());
    return 2;
}

} // namespace

int notchCommand(const Arguments& args)
{
    ParsedOptions parsed = parseOptions(args, kOptions);
    if (!parsed.error.empty()) return usageError(parsed.error);
    if (!parsed.positional.empty()) return usageError("unexpected argument " + parsed.positional.front());
    if (!parsed.has("--model") || parsed.value("--model").empty()) return usageError("--model is required");

    PhoneOptions phone;
    phone.model = parsed.value("--model");
    if (parsed.has("--faceid")) {
        auto v = parseYesNo(parsed.value("--faceid"));
        if (!v) return usageError("--faceid must be yes or no, not " + parsed.value("--faceid"));
        phone.hasFaceID = *v;
    }
    if (parsed.has("--ipad")) {
        auto v = parseYesNo(parsed.value("--ipad"));
        if (!v) return usageError("--ipad must be yes or no, not " + parsed.value("--ipad"));
        phone.isIPad = *v;
    }
    if (parsed.has("--screen")) {
        auto v = parseSize(parsed.value("--screen"));
        if (!v) return usageError("--screen must be WIDTHxHEIGHT in points, such as 375x812, not " + parsed.value("--screen"));
        phone.screen = CGSizeMake(v->first, v->second);
    }

    Process process;
    std::unique_ptr<SpringBoardHost> host = startPhone(process, phone, ComponentStart::ClassesOnly);
    BLNotificationBridge* bridge = BLNotificationBridge::sharedInstance();
    objc::send(objc::Id(bridge), "notchWidthForCurrentDeviceModel");
    nlohmann::ordered_json out{{"model", phone.model}, {"notchWidth", bridge->notchWidth}};
    std::cout << out.dump() << '\n';
    return 0;
}

} // namespace zovo
