// zovorudovu gallery --out DIR [--settings FILE] [--title T] [--message M]: one banner at rest on
// every built-in device, each in a fresh process, rendered in portrait as DIR/<model>.png, with a
// contact sheet DIR/index.html and a JSON summary on standard output.

#include "cli/Command.h"
#include "cli/Html.h"
#include "cli/Options.h"
#include "cli/Progress.h"

#include "foundation/Process.h"
#include "foundation/PropertyList.h"
#include "sim/GalleryShot.h"

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

constexpr double kMaxScale = 4;
constexpr const char* kDefaultTitle = "Messages";
constexpr const char* kDefaultMessage = "See you at eight \u2014 bring the book!";

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
    bool landscape = false;
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
            "h2 { font-size: 17px; font-weight: 600; margin: 28px 0 14px; color: #e5e5ea; }\n"
            ".lead { margin: 0 0 28px; color: #aeaeb2; }\n"
            ".sheet { display: flex; flex-wrap: wrap; gap: 32px 28px; align-items: flex-end; }\n"
            // Landscape phones are one row to scroll along, as a person turns through them.
            ".landscape { flex-wrap: nowrap; overflow-x: auto; padding-bottom: 12px; }\n"
            "figure { margin: 0; flex: none; }\n"
            "figure img { display: block; width: 100%; height: auto; border-radius: 16px; background: #000;\n"
            "             box-shadow: 0 4px 18px rgba(0, 0, 0, 0.55); }\n"
            "figcaption { margin-top: 10px; text-align: center; }\n"
            ".name { font-weight: 600; }\n"
            ".meta { color: #aeaeb2; font-size: 12px; font-variant-numeric: tabular-nums; }\n"
            "</style>\n</head>\n<body>\n"
         << "<h1>One banner on every device</h1>\n"
         << "<p class=\"lead\">&ldquo;" << escapeHTML(title) << "&rdquo; with &ldquo;" << escapeHTML(message)
         << "&rdquo;, at rest, in portrait and in landscape. Every device is shown at half a pixel a point, so sizes compare as in the hand.</p>\n"
         << "<h2>Portrait</h2>\n<div class=\"sheet\">\n";
    for (const Shot& shot : shots) {
        if (shot.landscape && (&shot == &shots.front() || !(&shot)[-1].landscape)) html << "</div>\n<h2>Landscape</h2>\n<div class=\"sheet landscape\">\n";
        const double width = shot.landscape ? shot.device->screen.height : shot.device->screen.width;
        const std::string name = escapeHTML(shot.device->name), model = escapeHTML(shot.device->model), image = escapeHTML(shot.image);
        html << "<figure style=\"width: " << std::lround(width / 2) << "px\">"
             << "<a href=\"" << image << "\"><img src=\"" << image << "\" alt=\"The banner on " << name << "\" loading=\"lazy\"></a>"
             << "<figcaption><div class=\"name\">" << name << "</div><div class=\"meta\">" << model << " &middot; banner "
             << points(shot.banner.size.width) << " pt wide</div></figcaption></figure>\n";
    }
    html << "</div>\n</body>\n</html>\n";
    return html.str();
}

struct GalleryOptions {
    std::string out;
    std::optional<std::string> settings;
    std::string title = kDefaultTitle, message = kDefaultMessage;
    double scale = 0; // each device's own
};

ExitStatus gallery(const GalleryOptions& o, const ToolContext& tool)
{
    const fs::path out = o.out;
    const std::string& title = o.title;
    const std::string& message = o.message;
    const double scale = o.scale;
    auto inputError = [&](const std::string& problem) { return tool.fail(ExitStatus::InputUnusable, problem); };
    ProgressLine progress("zovorudovu gallery", tool.quiet);

    std::optional<InputFile> settingsFile;
    if (o.settings) {
        ErrorOr<InputFile> read = readInputFile(*o.settings);
        if (!read) return inputError(read.error());
        settingsFile = std::move(read).value();
        // Reading makes objects, so it needs a process; a passing one will do.
        Process reader;
        if (ErrorOr<PropertyList> settings = parsePropertyList(settingsFile->bytes, settingsFile->name); !settings) return inputError(settings.error());
    }
    std::error_code ec;
    fs::create_directories(out, ec);
    if (ec || !fs::is_directory(out))
        return inputError("cannot make the output directory " + out.string() + ": " + (ec ? ec.message() : "a file is in the way"));

    const auto devices = deviceProfiles();
    std::vector<Shot> shots;
    for (const bool landscape : {false, true}) {
        for (const DeviceProfile& device : devices) {
            progress.update(std::to_string(shots.size() + 1) + "/" + std::to_string(2 * devices.size()) + " " + std::string(device.name) + " (" +
                            std::string(device.model) + (landscape ? ", landscape)" : ")"));
            GalleryRequest request{&device, landscape ? UIScreen::Orientation::Landscape : UIScreen::Orientation::Portrait, std::nullopt, title, message, scale};
            if (settingsFile) request.settings = settingsFile->bytes;
            ErrorOr<GalleryShot> drawn = renderGalleryShot(request);
            if (!drawn) return inputError((settingsFile ? settingsFile->name + ": " : std::string()) + drawn.error());
            Shot shot{&device, std::string(device.model) + (landscape ? "-landscape.png" : ".png"), drawn->banner, drawn->body, landscape};
            if (ErrorOr<void> written = writeFramePNG(drawn->frame, out / shot.image); !written) return inputError(written.error());
            shots.push_back(std::move(shot));
        }
    }

    const fs::path index = out / "index.html";
    {
        std::ofstream html(index, std::ios::binary);
        html << contactSheet(shots, title, message);
        html.close();
        if (!html) return inputError("cannot write " + index.string());
    }
    progress.update("wrote " + std::to_string(shots.size()) + " images and index.html to " + out.string());
    progress.finish();

    Json summary;
    summary["out"] = out.string();
    summary["devices"] = Json::array();
    summary["landscape"] = Json::array();
    for (const Shot& shot : shots) {
        summary[shot.landscape ? "landscape" : "devices"].push_back({{"model", shot.device->model},
                                      {"name", shot.device->name},
                                      {"image", shot.image},
                                      {"bannerWidth", shot.banner.size.width},
                                      {"bannerFrame", rectJson(shot.banner)},
                                      {"bodyFrame", rectJson(shot.body)}});
    }
    tool.printJson(summary);
    return ExitStatus::Done;
}

} // namespace

CommandRun defineGallery(CommandLine& line)
{
    line.footer("Render the same banner at rest on every built-in device, in portrait and in landscape, one PNG each, "
                    "and an index.html contact sheet, and print a JSON summary.");
    auto o = std::make_shared<GalleryOptions>();
    line.option("--out", o->out, "the folder for the images and index.html").required().check(OptionCheck([](const std::string& v) {
        return v.empty() ? std::string("must name a folder") : std::string();
    }));
    line.option("--settings", o->settings, "a settings property list; - reads standard input");
    line.option("--title", o->title, "the banner's title").showDefault();
    line.option("--message", o->message, "the banner's message").showDefault();
    // Tests and quick looks render small images; the gallery is meant to be seen at each
    // device's own scale, so the option stays out of the help.
    line.option("--scale", o->scale, "pixels a point").check(aboveAtMost(0, kMaxScale)).hidden();
    return [o](const ToolContext& tool) { return gallery(*o, tool); };
}

} // namespace zovo
