// zovorudovu gallery --out DIR [--settings FILE] [--title T] [--message M | --text hard]: one banner
// at rest on every built-in device, each in a fresh process, rendered in portrait as
// DIR/<model>.png and in landscape, or each text of the hard-text set in portrait as
// DIR/<sample>-<model>.png, with a contact sheet DIR/index.html and a JSON summary on standard
// output.

#include "cli/Command.h"
#include "cli/Html.h"
#include "cli/Options.h"
#include "cli/Progress.h"
#include "foundation/Json.h"

#include "foundation/Process.h"
#include "foundation/PropertyList.h"
#include "sim/GalleryShot.h"
#include "sim/HardText.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>

namespace fs = std::filesystem;

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
    std::string section; // the heading the shot is shown under, as HTML
};

// The start of a message a heading can show: at most `limit` code points, with an ellipsis when cut.
std::string excerpt(const std::string& text, std::size_t limit)
{
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && count++ == limit) return text.substr(0, i) + "\u2026";
    }
    return text;
}

// The contact sheet: every device at the same number of pixels a point, so that sizes compare
// as they do in the hand, with its name, model and the banner's width under it, in one row of
// figures per section (portrait, landscape, or one per hard text).
std::string contactSheet(const std::vector<Shot>& shots, const std::string& lead)
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
         << "<p class=\"lead\">" << lead << "</p>\n";
    for (std::size_t i = 0; i < shots.size(); ++i) {
        const Shot& shot = shots[i];
        if (i == 0 || shot.section != shots[i - 1].section) {
            if (i > 0) html << "</div>\n";
            html << "<h2>" << shot.section << "</h2>\n<div class=\"sheet" << (shot.landscape ? " landscape" : "") << "\">\n";
        }
        const double width = shot.landscape ? shot.device->screen.height : shot.device->screen.width;
        const std::string name = escapeHTML(shot.device->name), model = escapeHTML(shot.device->model), image = escapeHTML(shot.image);
        html << "<figure style=\"width: " << std::lround(width / 2) << "px\">"
             << "<a href=\"" << image << "\"><img src=\"" << image << "\" alt=\"The banner on " << name << "\" loading=\"lazy\"></a>"
             << "<figcaption><div class=\"name\">" << name << "</div><div class=\"meta\">" << model << " &middot; banner "
             << points(shot.banner.size.width) << " pt wide</div></figcaption></figure>\n";
    }
    if (!shots.empty()) html << "</div>\n";
    html << "</body>\n</html>\n";
    return html.str();
}

struct GalleryOptions {
    std::string out;
    std::optional<std::string> settings;
    std::optional<std::string> title, message; // as given; the defaults apply otherwise
    std::string text; // "hard": the hard-text set instead of one title and message
    double scale = 0; // each device's own
};

ExitStatus gallery(const GalleryOptions& o, const ToolContext& tool)
{
    const fs::path out = o.out;
    const std::string title = o.title.value_or(kDefaultTitle);
    const std::string message = o.message.value_or(kDefaultMessage);
    const double scale = o.scale;
    auto inputError = [&](const std::string& problem) { return tool.fail(ExitStatus::InputUnusable, problem); };
    if (o.text == "hard" && (o.title || o.message)) return tool.fail(ExitStatus::BadCommandLine, "--text hard draws texts of its own: leave out --title and --message");
    ProgressLine progress(tool);

    std::optional<InputFile> settingsFile;
    if (o.settings) {
        ErrorOr<InputFile> read = readInputFile(*o.settings);
        if (!read) return inputError(read.error());
        settingsFile = std::move(read).value();
        // Reading makes objects, so it needs a process; a passing one will do.
        Process reader;
        if (ErrorOr<PropertyList> settings = parsePropertyList(settingsFile->bytes, settingsFile->name); !settings) return inputError(settings.error());
    }
    // Settings that turn the component off would fail every shot: refused before the folder is made.
    if (settingsFile)
        if (ErrorOr<void> usable = checkGallerySettings(settingsFile->bytes); !usable) return inputError(settingsFile->name + ": " + usable.error());
    std::error_code ec;
    fs::create_directories(out, ec);
    if (ec || !fs::is_directory(out))
        return inputError("cannot make the output directory " + out.string() + ": " + (ec ? ec.message() : "a file is in the way"));

    // What is drawn: one title and message in portrait and landscape, or each hard text in portrait.
    struct Job {
        std::string name; // prefixes the image's file name; empty for the single text
        std::string title, message, section;
        bool landscape;
    };
    std::vector<Job> jobs;
    if (o.text == "hard") {
        for (const HardTextSample& sample : hardTextSamples())
            // Each text in an isolate of its own, so direction controls in it cannot reorder the heading.
            jobs.push_back({sample.name, sample.title, sample.message,
                            escapeHTML(sample.name) + ": &ldquo;<bdi>" + escapeHTML(excerpt(sample.title, 40)) + "</bdi>&rdquo;, &ldquo;<bdi>" +
                                escapeHTML(excerpt(sample.message, 80)) + "</bdi>&rdquo;",
                            false});
    } else {
        jobs.push_back({"", title, message, "Portrait", false});
        jobs.push_back({"", title, message, "Landscape", true});
    }
    const auto devices = deviceProfiles();
    std::vector<Shot> shots;
    for (const Job& job : jobs) {
        for (const DeviceProfile& device : devices) {
            progress.update(std::to_string(shots.size() + 1) + "/" + std::to_string(jobs.size() * devices.size()) + " " + std::string(device.name) + " (" +
                            std::string(device.model) + (job.landscape ? ", landscape)" : ")") + (job.name.empty() ? "" : " " + job.name));
            GalleryRequest request{&device, job.landscape ? UIScreen::Orientation::Landscape : UIScreen::Orientation::Portrait, std::nullopt,
                                   job.title, job.message, scale};
            if (settingsFile) request.settings = settingsFile->bytes;
            ErrorOr<GalleryShot> drawn = renderGalleryShot(request);
            if (!drawn) return inputError((settingsFile ? settingsFile->name + ": " : std::string()) + drawn.error());
            const std::string image = (job.name.empty() ? "" : job.name + "-") + std::string(device.model) + (job.landscape ? "-landscape.png" : ".png");
            Shot shot{&device, image, drawn->banner, drawn->body, job.landscape, job.section};
            if (ErrorOr<void> written = writeFramePNG(drawn->frame, out / shot.image); !written) return inputError(written.error());
            shots.push_back(std::move(shot));
        }
    }

    const fs::path index = out / "index.html";
    {
        std::ofstream html(index, std::ios::binary);
        const std::string lead = o.text == "hard"
                                     ? std::string("The hard-text set: emoji and their sequences, every script, mixed direction, a long word, stacked "
                                                   "marks, markup-like text, controls, an empty title and a message of 10,000 characters, each at "
                                                   "rest in portrait. Every device is shown at half a pixel a point.")
                                     : "&ldquo;" + escapeHTML(title) + "&rdquo; with &ldquo;" + escapeHTML(message) +
                                           "&rdquo;, at rest, in portrait and in landscape. Every device is shown at half a pixel a point, so sizes compare as in the hand.";
        html << contactSheet(shots, lead);
        html.close();
        if (!html) return inputError("cannot write " + index.string());
    }
    progress.update("wrote " + std::to_string(shots.size()) + " images and index.html to " + out.string());
    progress.finish();

    Json summary;
    summary["out"] = out.string();
    auto shotJson = [](const Shot& shot) {
        return Json{{"model", shot.device->model},          {"name", shot.device->name},
                    {"image", shot.image},                  {"bannerWidth", shot.banner.size.width},
                    {"bannerFrame", rectJson(shot.banner)}, {"bodyFrame", rectJson(shot.body)}};
    };
    if (o.text == "hard") {
        summary["samples"] = Json::array();
        for (std::size_t i = 0; i < jobs.size(); ++i) {
            Json sample{{"name", jobs[i].name}, {"devices", Json::array()}};
            for (std::size_t d = 0; d < devices.size(); ++d) sample["devices"].push_back(shotJson(shots[i * devices.size() + d]));
            summary["samples"].push_back(std::move(sample));
        }
    } else {
        summary["devices"] = Json::array();
        summary["landscape"] = Json::array();
        for (const Shot& shot : shots) summary[shot.landscape ? "landscape" : "devices"].push_back(shotJson(shot));
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
    line.option("--title", o->title, std::string("the banner's title (default: ") + kDefaultTitle + ")");
    line.option("--message", o->message, std::string("the banner's message (default: ") + kDefaultMessage + ")");
    line.option("--text", o->text, "hard: each text of the hard-text set (emoji, every script, controls...) on each device, in portrait; "
                                   "not with --title or --message")
        .check(oneOf({"hard"}));
    // Tests and quick looks render small images; the gallery is meant to be seen at each
    // device's own scale, so the option stays out of the help.
    line.option("--scale", o->scale, "pixels a point").check(aboveAtMost(0, kMaxScale)).hidden();
    return [o](const ToolContext& tool) { return gallery(*o, tool); };
}

} // namespace zovo
