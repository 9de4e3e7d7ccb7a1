// zovorudovu banner [--device ID] [--settings FILE] [--safe-y Y] --title T --message M [--date D]
// [--icon PNG] [--png FILE]: presents one banner in a fresh process as SpringBoard does, lets it
// slide in, fills it with the content, lays it out and prints its snapshot.

#include "cli/Command.h"
#include "cli/Options.h"

#include "foundation/Process.h"
#include "foundation/PropertyList.h"
#include "render/ScreenRenderer.h"
#include "sim/BannerSnapshot.h"
#include "sim/SimulatedPhone.h"
#include "tweak/Tweak.h"
#include "uikit/DeviceProfile.h"
#include "uikit/UIImage.h"

#include <nlohmann/json.hpp>

#include <memory>

namespace zovo {
namespace {

struct BannerOptions {
    std::string device = PhoneOptions{}.model;
    std::optional<std::string> settings, icon, png, date;
    std::optional<double> safeY;
    std::string title, message;
};

ExitStatus banner(const BannerOptions& o, const ToolContext& tool)
{
    PhoneOptions phone;
    phone.model = o.device;
    const DeviceProfile* profile = findDeviceProfile(phone.model);
    if (!profile) return tool.fail(ExitStatus::InputUnusable, "unknown device " + phone.model + " (see `zovorudovu devices`)");

    // The process comes first: everything read below is made of its objects.
    Process process;
    if (o.settings) {
        ErrorOr<InputFile> file = readInputFile(*o.settings);
        if (!file) return tool.fail(ExitStatus::InputUnusable, file.error());
        if (ErrorOr<PropertyList> settings = parsePropertyList(file->bytes, file->name); !settings) return tool.fail(ExitStatus::InputUnusable, settings.error());
        if (ErrorOr<void> written = writeWholeFile(process.hostPath(zovorudovu::kSettingsPath).string(), file->bytes); !written)
            return tool.fail(ExitStatus::InputUnusable, written.error());
    }
    std::unique_ptr<SpringBoardHost> host = startPhone(process, phone, ComponentStart::Load);
    objc::StrongId icon;
    if (o.icon) {
        if (auto loaded = loadPNG(*o.icon); !loaded) return tool.fail(ExitStatus::InputUnusable, loaded.error());
        icon = UIImage::imageWithContentsOfFile(*o.icon);
        if (!icon) return tool.fail(ExitStatus::InputUnusable, "cannot load the icon " + *o.icon);
    }
    if (!zovorudovu::globals().isEnabled)
        return tool.fail(ExitStatus::InputUnusable, "the settings file " + o.settings.value_or("") + " turns the component off (isEnabled is false): no banner is shown");

    BannerContent content;
    content.icon = icon;
    content.title = o.title;
    content.message = o.message;
    content.date = o.date;
    content.safeY = o.safeY ? *o.safeY : profile->statusBarHeight - 15.0;
    objc::StrongId window = presentOneBanner(process, *host, content);
    if (o.png) {
        if (auto written = writeFramePNG(renderScreen(), *o.png); !written) return tool.fail(ExitStatus::InputUnusable, written.error());
    }
    tool.printJson(snapshotBanner(window.get()));
    return ExitStatus::Done;
}

} // namespace

CommandRun defineBanner(CommandLine& line)
{
    line.footer("Present one banner as SpringBoard does on a phone with the package installed, let it slide in, fill it, "
                    "lay it out and print one snapshot: window, colours, container, icon, labels, lower body, mask and grabber pill.");
    auto o = std::make_shared<BannerOptions>();
    line.option("--device", o->device, "a model from `zovorudovu devices`").showDefault();
    line.option("--settings", o->settings, "a settings property list; - reads standard input");
    line.option("--safe-y", o->safeY, "where the status bar ends, less 15 points (default: the device's status-bar height - 15)")
        .check(numberRange(-1000.0, 1000.0));
    line.option("--title", o->title, "the banner's title").required();
    line.option("--message", o->message, "the banner's message").required();
    line.option("--date", o->date, "the timestamp text, such as now");
    line.option("--icon", o->icon, "a PNG for the app icon");
    line.option("--png", o->png, "also draw the screen with the banner, at the device's scale, into this file");
    return [o](const ToolContext& tool) { return banner(*o, tool); };
}

} // namespace zovo
