// zovorudovu preview [--device ID] [--orientation portrait|landscape] [--settings FILE] [--scale S]
// [--trace FILE] [--record FILE] [--screenshot-dir DIR] [--touches-in-screenshots]
// [--wallpaper dusk|dark|light|PNG]: the simulated phone live in a window, the
// mouse as the finger and keys as actions. Every bad input is refused before the window opens.

#include "cli/Command.h"
#include "cli/Options.h"

#include "preview/PreviewSession.h"
#include "preview/SdlFrontEnd.h"
#include "sim/SimulatedPhone.h"
#include "uikit/CGImage.h"
#include "uikit/DeviceProfile.h"

#include <filesystem>
#include <fstream>
#include <memory>
#include <unistd.h>

namespace fs = std::filesystem;

namespace zovo {
namespace {

struct PreviewCommandOptions {
    std::string device = PhoneOptions{}.model;
    std::string orientation = "portrait";
    std::optional<std::string> settings, trace, record;
    std::optional<double> scale;
    std::string screenshotDir = ".";
    bool touchesInScreenshots = false;
    std::string wallpaper = "dusk";
};

// Why a file cannot be written at `path` (without making it), or empty.
std::string unwritableFile(const fs::path& path)
{
    std::error_code ec;
    if (fs::is_directory(path, ec)) return "is a folder";
    const fs::path folder = path.parent_path().empty() ? fs::path(".") : path.parent_path();
    if (!fs::is_directory(folder, ec)) return "its folder " + folder.string() + " does not exist";
    if (::access(folder.c_str(), W_OK) != 0) return "its folder " + folder.string() + " is not writable";
    if (fs::exists(path, ec) && ::access(path.c_str(), W_OK) != 0) return "is not writable";
    return {};
}

// Whether screenshots can go in `dir`: it is a folder that can be written, or the nearest folder
// that exists on the way to it is (the session makes it at the first screenshot).
bool screenshotsCanGoIn(const fs::path& dir)
{
    std::error_code ec;
    fs::path existing = fs::absolute(dir, ec);
    while (!fs::exists(existing, ec) && existing.has_parent_path() && existing != existing.parent_path()) existing = existing.parent_path();
    return fs::is_directory(existing, ec) && ::access(existing.c_str(), W_OK) == 0;
}

ExitStatus preview(const PreviewCommandOptions& o, const ToolContext& tool)
{
    if (!findDeviceProfile(o.device)) return tool.fail(ExitStatus::BadCommandLine, "--device: unknown device \"" + o.device + "\" (see `zovorudovu devices`)");
    // Nothing is made before every input has been checked.
    std::error_code ec;
    if (!screenshotsCanGoIn(o.screenshotDir))
        return tool.fail(ExitStatus::BadCommandLine, "--screenshot-dir " + o.screenshotDir + ": not a folder that can be written");
    if (o.record) {
        if (std::string problem = unwritableFile(*o.record); !problem.empty())
            return tool.fail(ExitStatus::BadCommandLine, "--record " + *o.record + ": " + problem);
    }
    if (o.settings) {
        const fs::file_status status = fs::status(*o.settings, ec);
        if (!fs::exists(status)) return tool.fail(ExitStatus::BadCommandLine, "--settings " + *o.settings + ": no such file");
        if (!fs::is_regular_file(status)) return tool.fail(ExitStatus::BadCommandLine, "--settings " + *o.settings + ": not a regular file");
    }
    Wallpaper wallpaper;
    if (o.wallpaper == "dark") wallpaper.kind = Wallpaper::Kind::Dark;
    else if (o.wallpaper == "light") wallpaper.kind = Wallpaper::Kind::Light;
    else if (o.wallpaper != "dusk") {
        ErrorOr<std::shared_ptr<const CGImage>> image = loadPNG(o.wallpaper);
        if (!image) return tool.fail(ExitStatus::BadCommandLine, "--wallpaper " + o.wallpaper + ": not dark, light, dusk or a PNG that can be read (" + image.error() + ")");
        wallpaper = {Wallpaper::Kind::Image, *image};
    }
    if (o.trace) {
        if (std::string problem = unwritableFile(*o.trace); !problem.empty())
            return tool.fail(ExitStatus::BadCommandLine, "--trace " + *o.trace + ": " + problem);
    }

    PreviewOptions options;
    options.device = o.device;
    options.orientation = o.orientation == "landscape" ? ScenarioOrientation::Landscape : ScenarioOrientation::Portrait;
    if (o.settings) options.settingsFile = fs::absolute(*o.settings);
    options.scale = o.scale.value_or(1);
    options.screenshotDir = o.screenshotDir;
    if (o.record) options.recordFile = *o.record;
    options.touchesInScreenshots = o.touchesInScreenshots;
    options.wallpaper = wallpaper;
    // The trace file is opened once the session has started, so a refusal leaves an earlier trace
    // as it was; what the launch traced before that waits in `early`.
    std::ofstream trace;
    std::string early;
    if (o.trace)
        options.onTrace = [&trace, &early](const TraceEvent& e) {
            if (trace.is_open()) trace << e.toJson() << '\n' << std::flush;
            else early += e.toJson() + '\n';
        };
    options.onMessage = [&tool](const std::string& text) { tool.fail(ExitStatus::InputUnusable, text); };
    ErrorOr<std::unique_ptr<PreviewSession>> started = PreviewSession::start(std::move(options));
    if (!started) return tool.fail(ExitStatus::BadCommandLine, (o.settings ? "--settings: " : "") + started.error());
    std::unique_ptr<PreviewSession> session = std::move(started).value();
    if (o.trace) {
        trace.open(*o.trace, std::ios::binary | std::ios::trunc);
        if (!(trace << early << std::flush)) return tool.fail(ExitStatus::BadCommandLine, "--trace " + *o.trace + ": cannot be written");
    }

    ErrorOr<std::unique_ptr<SdlFrontEnd>> window = SdlFrontEnd::open(*session, o.scale);
    if (!window) return tool.fail(ExitStatus::InputUnusable, window.error());
    (*window)->run();
    window->reset();

    if (auto written = session->finishRecording(); !written) return tool.fail(ExitStatus::InputUnusable, written.error());
    return ExitStatus::Done;
}

} // namespace

CommandRun definePreview(CommandLine& line)
{
    line.footer("Show the simulated phone live in a window: the mouse is the finger, keys post notifications and change "
               "settings (H in the window lists them). Bad options are refused before the window opens (status 2); "
               "no display is status 1. Q, Esc or closing the window quits with status 0.");
    auto o = std::make_shared<PreviewCommandOptions>();
    line.option("--device", o->device, "a model from `zovorudovu devices`").showDefault();
    line.option("--orientation", o->orientation, "portrait or landscape").check(oneOf({"portrait", "landscape"})).showDefault();
    line.option("--settings", o->settings, "the settings file to use and edit in place (XML or binary property list); watched for changes");
    line.option("--scale", o->scale, "window pixels a point (default: the largest of 1, 1.5 or 2 that fits the display)").check(aboveAtMost(0, 4));
    line.option("--trace", o->trace, "stream the trace into this file as JSON lines");
    line.option("--record", o->record, "write what you did as scenarios that `zovorudovu run` replays, one a launch: FILE, then FILE numbered -2, -3 ... before its extension after each relaunch or device switch");
    line.option("--screenshot-dir", o->screenshotDir, "where S saves preview-NNNN.png").showDefault();
    line.option("--wallpaper", o->wallpaper, "dusk, dark, light, or a PNG to fill the screen with").showDefault();
    line.flag("--touches-in-screenshots", o->touchesInScreenshots, "screenshots show the finger's dot and gesture while F shows them");
    return [o](const ToolContext& tool) { return preview(*o, tool); };
}

} // namespace zovo
