// zovorudovu banner [--device ID] [--settings FILE] [--safe-y Y] --title T --message M [--date D]
// [--icon PNG]: presents one banner in a fresh process as SpringBoard does, lets it slide in,
// fills it with the content, lays it out and prints its snapshot.

#include "cli/Command.h"

#include "foundation/Process.h"
#include "foundation/PropertyList.h"
#include "render/ScreenRenderer.h"
#include "sim/BannerSnapshot.h"
#include "cli/Options.h"
#include "sim/SimulatedPhone.h"
#include "tweak/Tweak.h"
#include "uikit/UIImage.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <filesystem>
#include <iostream>

namespace fs = std::filesystem;

namespace zovo {
namespace {

constexpr OptionDefinition kOptions[] = {{"--device", "ID"},       {"--settings", "FILE"}, {"--safe-y", "Y"}, {"--title", "T"},
                                   {"--message", "M"},       {"--date", "D"},        {"--icon", "PNG"},
                                   {"--png", "FILE"}};
constexpr const char* kUsage =
    "usage: zovorudovu banner [--device ID] [--settings FILE] [--safe-y Y] --title T --message M [--date D] [--icon PNG] [--png FILE]\n"
    "  --device   a model from `zovorudovu devices` (default iPhone12,3)\n"
    "  --safe-y   where the status bar ends, less 15 points (default: the device's status-bar height - 15)\n"
    "  --png      also draw the screen with the banner, at the device's scale, into FILE\n";

int usageError(const std::string& message)
{
    std::fprintf(stderr, "zovorudovu banner: %s\n%s", message.c_str(), kUsage);
    return 2;
}

int inputError(const std::string& message)
{
    std::fprintf(stderr, "zovorudovu banner: %s\n", message.c_str());
    return 1;
}

} // namespace

int bannerCommand(const Arguments& args)
{
    ParsedOptions parsed = parseOptions(args, kOptions);
    if (!parsed.error.empty()) return usageError(parsed.error);
    if (!parsed.positional.empty()) return usageError("unexpected argument " + parsed.positional.front());
    if (!parsed.has("--title")) return usageError("--title is required");
    if (!parsed.has("--message")) return usageError("--message is required");

    PhoneOptions phone;
    if (parsed.has("--device")) phone.model = parsed.value("--device");
    const DeviceProfile* profile = findDeviceProfile(phone.model);
    if (!profile) return usageError("unknown device " + phone.model + " (see `zovorudovu devices`)");

    std::optional<double> safeY;
    if (parsed.has("--safe-y")) {
        safeY = parseNumber(parsed.value("--safe-y"));
        if (!safeY || *safeY < -1000 || *safeY > 1000) return usageError("--safe-y must be a number of points, not " + parsed.value("--safe-y"));
    }

    // The process comes first: everything read below is made of its objects.
    Process process;
    if (parsed.has("--settings")) {
        const std::string file = parsed.value("--settings");
        PropertyListResult settings = readPropertyList(file);
        if (!settings) return inputError(settings.message);
        std::error_code ec;
        fs::copy_file(file, process.hostPath(zovorudovu::kSettingsPath), fs::copy_options::overwrite_existing, ec);
        if (ec) return inputError("cannot copy the settings file " + file + ": " + ec.message());
    }
    std::unique_ptr<SpringBoardHost> host = startPhone(process, phone, ComponentStart::Load);
    objc::Id icon;
    if (parsed.has("--icon")) {
        const std::string file = parsed.value("--icon");
        if (ImageResult loaded = loadPNG(file); !loaded) return inputError(loaded.message);
        icon = UIImage::imageWithContentsOfFile(file);
        if (!icon) return inputError("cannot load the icon " + file);
    }

    if (!zovorudovu::globals().isEnabled)
        return inputError("the settings file " + parsed.value("--settings") + " turns the component off (isEnabled is false): no banner is shown");

    BannerContent content;
    content.icon = icon;
    content.title = parsed.value("--title");
    content.message = parsed.value("--message");
    if (parsed.has("--date")) content.date = parsed.value("--date");
    content.safeY = safeY ? *safeY : profile->statusBarHeight - 15.0;
    objc::Id window = presentOneBanner(process, *host, content);
    if (parsed.has("--png")) {
        if (auto written = writeFramePNG(renderScreen(), parsed.value("--png")); !written) return inputError(written.message);
    }
    std::cout << snapshotBanner(window).dump(2) << '\n';
    return 0;
}

} // namespace zovo
