// zovorudovu gallery --out DIR [--settings FILE] [--title T] [--message M]: one banner at rest on
// every built-in device, each in a fresh process, rendered in portrait as DIR/<model>.png, with a
// contact sheet DIR/index.html and a JSON summary on standard output.

#include "cli/Command.h"

#include "foundation/Process.h"
#include "foundation/PropertyList.h"
#include "objc/Message.h"
#include "render/CairoPainter.h"
#include "render/ScreenRenderer.h"
#include "sim/AppIcons.h"
#include "cli/Html.h"
#include "cli/Options.h"
#include "sim/SimulatedPhone.h"
#include "tweak/BLNotificationBanner.h"
#include "tweak/Tweak.h"
#include "uikit/UIImage.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

namespace zovo {
namespace {

// --scale is left out of the usage text: it exists so that tests and quick looks can render
// small images; the gallery is meant to be seen at each device's own scale.
constexpr OptionDefinition kOptions[] = {{"--out", "DIR"}, {"--settings", "FILE"}, {"--title", "T"}, {"--message", "M"}, {"--scale", "N"}};
constexpr const char* kUsage =
    "usage: zovorudovu gallery --out DIR [--settings FILE] [--title T] [--message M]\n"
    "  renders one banner at rest on every built-in device: DIR/<model>.png and DIR/index.html\n";
constexpr double kMaxScale = 4;
constexpr const char* kDefaultTitle = "Messages";
constexpr const char* kDefaultMessage = "See you at eight \u2014 bring the book!";

int usageError(const std::string& message)
{
    std::fprintf(stderr, "zovorudovu gallery: %s\n%s", message.c_str(), kUsage);
    return 2;
}

int inputError(const std::string& message)
{
    std::fprintf(stderr, "zovorudovu gallery: %s\n", message.c_str());
    return 1;
}


// "209", "187.5": points as a person would write them.
std::string points(double value)
{
    std::ostringstream out;
    out << std::round(value * 10) / 10;
    return out.str();
}

Json rectJson(CGRect r) { return Json::array({r.origin.x, r.origin.y, r.size.width, r.size.height}); }

struct Shot {
    const DeviceProfile* device;
    std::string image; // file name inside the output directory
    CGRect banner;     // the banner window, in screen points
    CGRect body;       // its lower body, in screen points
};

// The contact sheet: every device at the same number of pixels a point, so that sizes compare
// as they do in the hand, with its name, model and the banner's width under it.
std::string contactSheet(const std::vector<Shot>& shots, const std::string& title, const std::string& message)
{
    std::ostringstream html;
    html << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
         << "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
         << "<title>Zovorudovu banner on " << shots.size() << " devices</title>\n"
         << "<style>\n"
            "body { margin: 0; padding: 24px 32px; background: #1c1c1e; color: #f2f2f7;\n"
            "       font: 14px/1.4 -apple-system, Inter, \"DejaVu Sans\", sans-serif; }\n"
            "h1 { font-size: 22px; font-weight: 600; margin: 0 0 4px; }\n"
            ".lead { margin: 0 0 28px; color: #aeaeb2; }\n"
            ".sheet { display: flex; flex-wrap: wrap; gap: 32px 28px; align-items: flex-end; }\n"
            "figure { margin: 0; }\n"
            "figure img { display: block; width: 100%; height: auto; border-radius: 16px; background: #000;\n"
            "             box-shadow: 0 4px 18px rgba(0, 0, 0, 0.55); }\n"
            "figcaption { margin-top: 10px; text-align: center; }\n"
            ".name { font-weight: 600; }\n"
            ".meta { color: #aeaeb2; font-size: 12px; font-variant-numeric: tabular-nums; }\n"
            "</style>\n</head>\n<body>\n"
         << "<h1>One banner on every device</h1>\n"
         << "<p class=\"lead\">&ldquo;" << escapeHTML(title) << "&rdquo; with &ldquo;" << escapeHTML(message)
         << "&rdquo;, at rest, in portrait. Every device is shown at half a pixel a point, so sizes compare as in the hand.</p>\n"
         << "<div class=\"sheet\">\n";
    for (const Shot& shot : shots) {
        const std::string name = escapeHTML(shot.device->name), model = escapeHTML(shot.device->model), image = escapeHTML(shot.image);
        html << "<figure style=\"width: " << std::lround(shot.device->screen.width / 2) << "px\">"
             << "<a href=\"" << image << "\"><img src=\"" << image << "\" alt=\"The banner on " << name << "\" loading=\"lazy\"></a>"
             << "<figcaption><div class=\"name\">" << name << "</div><div class=\"meta\">" << model << " &middot; banner "
             << points(shot.banner.size.width) << " pt wide</div></figcaption></figure>\n";
    }
    html << "</div>\n</body>\n</html>\n";
    return html.str();
}

} // namespace

int galleryCommand(const Arguments& args)
{
    ParsedOptions parsed = parseOptions(args, kOptions);
    if (!parsed.error.empty()) return usageError(parsed.error);
    if (!parsed.positional.empty()) return usageError("unexpected argument " + parsed.positional.front());
    if (!parsed.has("--out") || parsed.value("--out").empty()) return usageError("--out DIR is required");
    const fs::path out = parsed.value("--out");
    const std::string title = parsed.has("--title") ? parsed.value("--title") : kDefaultTitle;
    const std::string message = parsed.has("--message") ? parsed.value("--message") : kDefaultMessage;
    double scale = 0; // each device's own
    if (parsed.has("--scale")) {
        const std::optional<double> n = parseNumber(parsed.value("--scale"));
        if (!n || !(*n > 0) || *n > kMaxScale) return usageError("--scale must be a number above 0 and at most 4, not " + parsed.value("--scale"));
        scale = *n;
    }

    const std::string settingsFile = parsed.value("--settings");
    if (parsed.has("--settings")) {
        // Reading makes objects, so it needs a process; a passing one will do.
        Process reader;
        if (PropertyListResult settings = readPropertyList(settingsFile); !settings) return inputError(settings.message);
    }
    std::error_code ec;
    fs::create_directories(out, ec);
    if (ec || !fs::is_directory(out))
        return inputError("cannot make the output directory " + out.string() + ": " + (ec ? ec.message() : "a file is in the way"));

    const std::shared_ptr<const CGImage> icon = drawAppIcon(AppIcon::Messages);
    const auto devices = deviceProfiles();
    std::vector<Shot> shots;
    for (const DeviceProfile& device : devices) {
        std::fprintf(stderr, "gallery: %zu/%zu %.*s (%.*s)\n", shots.size() + 1, devices.size(), static_cast<int>(device.name.size()),
                     device.name.data(), static_cast<int>(device.model.size()), device.model.data());
        // The process comes first and ends last: everything below is made of its objects.
        Process process;
        if (!settingsFile.empty()) {
            fs::copy_file(settingsFile, process.hostPath(zovorudovu::kSettingsPath), fs::copy_options::overwrite_existing, ec);
            if (ec) return inputError("cannot copy the settings file " + settingsFile + ": " + ec.message());
        }
        PhoneOptions phone;
        phone.model = std::string(device.model);
        std::unique_ptr<SpringBoardHost> host = startPhone(process, phone, ComponentStart::Load);
        if (!zovorudovu::globals().isEnabled)
            return inputError("the settings file " + settingsFile + " turns the component off (isEnabled is false): no banner is shown");

        BannerContent content;
        content.icon = UIImage::imageWithCGImage(icon, 3.0);
        content.title = title;
        content.message = message;
        content.date = "now";
        content.safeY = device.statusBarHeight - 15.0;
        const objc::Id window = presentOneBanner(process, *host, content);
        auto* banner = objc::cast<BLNotificationBanner>(window.get());
        if (!banner) return inputError("no banner window was shown on " + std::string(device.model));

        Shot shot{&device, std::string(device.model) + ".png", banner->frame(), CGRectZero};
        if (auto* body = objc::cast<UIView>(banner->bottomSection.get())) {
            shot.body = body->frameInWindow();
            shot.body.origin.x += shot.banner.origin.x;
            shot.body.origin.y += shot.banner.origin.y;
        }
        const Frame frame = renderScreen(RenderOptions{.scale = scale});
        if (ImageWriteResult written = writeFramePNG(frame, out / shot.image); !written) return inputError(written.message);
        shots.push_back(std::move(shot));
    }

    const fs::path index = out / "index.html";
    {
        std::ofstream html(index, std::ios::binary);
        html << contactSheet(shots, title, message);
        html.close();
        if (!html) return inputError("cannot write " + index.string());
    }
    std::fprintf(stderr, "gallery: wrote %zu images and index.html to %s\n", shots.size(), out.string().c_str());

    Json summary;
    summary["out"] = out.string();
    summary["devices"] = Json::array();
    for (const Shot& shot : shots) {
        summary["devices"].push_back({{"model", shot.device->model},
                                      {"name", shot.device->name},
                                      {"image", shot.image},
                                      {"bannerWidth", shot.banner.size.width},
                                      {"bannerFrame", rectJson(shot.banner)},
                                      {"bodyFrame", rectJson(shot.body)}});
    }
    std::cout << summary.dump(2) << '\n';
    return 0;
}

} // namespace zovo
