// zovorudovu prefs FILE [--defaults FILE] [--device ID]: loads FILE as the settings file of a fresh simulated
// process, runs the component's start-up, and prints the settings as the component took them,
// with warnings that help a person fix the file.

#include "cli/Command.h"
#include "cli/Options.h"
#include "foundation/Json.h"
#include "sim/SettingsReport.h"

#include "foundation/NSDictionary.h"
#include "foundation/Process.h"
#include "foundation/PropertyList.h"
#include "objc/Message.h"
#include "springboard/HostClasses.h"
#include "substrate/Loader.h"
#include "tweak/Tweak.h"
#include "uikit/DeviceProfile.h"
#include "uikit/UIKitClasses.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <memory>
#include <optional>

namespace fs = std::filesystem;

namespace zovo {
namespace {

bool copyInto(const fs::path& from, const fs::path& to)
{
    std::error_code ec;
    fs::create_directories(to.parent_path(), ec);
    return fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
}

struct PrefsOptions {
    std::string file;
    std::optional<std::string> defaults;
    std::string device = std::string(defaultDeviceProfile().model);
};

ExitStatus prefs(const PrefsOptions& o, const ToolContext& tool)
{
    const std::optional<std::string> file = o.file, defaults = o.defaults;
    if (defaults && !fs::is_regular_file(*defaults)) return tool.fail(ExitStatus::InputUnusable, "cannot read the defaults file " + *defaults);
    const DeviceProfile* device = findDeviceProfile(o.device);
    if (!device) return tool.fail(ExitStatus::InputUnusable, "unknown device " + o.device + " (see `zovorudovu devices`)");
    // Standard input is read once, here; the rest works on its bytes as it would on a file's.
    std::optional<ErrorOr<InputFile>> piped;
    if (*file == "-") piped = readInputFile("-");

    // The process comes first: the file's values are objects of its runtime, and must end
    // before it does.
    Process process;
    std::vector<std::string> warnings;
    ErrorOr<PropertyList> read = !piped ? readPropertyList(*file) : *piped ? parsePropertyList(piped->value().bytes, piped->value().name) : Error{piped->error()};
    if (!read) {
        warnings.push_back(read.error());
    } else {
        warnings = settingsWarnings(read->dictionary.get(), *device);
        warnings.insert(warnings.begin(), read->warnings.begin(), read->warnings.end());
    }

    registerUIKitClasses(process.runtime());
    registerHostClasses(process.runtime());
    // Bytes that could not be read in full are not put in place; the warning above says why.
    if (piped && *piped) (void)writeWholeFile(process.hostPath(zovorudovu::kSettingsPath).string(), piped->value().bytes);
    else if (fs::is_regular_file(*file)) copyInto(*file, process.hostPath(zovorudovu::kSettingsPath));
    if (defaults) copyInto(*defaults, process.hostPath(zovorudovu::kDefaultsPath));
    Loader::load(process.runtime(), zovorudovu::library());

    Json out = reportSettings(nullptr).effective;
    out["warnings"] = warnings;
    tool.printJson(out);
    for (const auto& w : warnings) tool.err() << "zovorudovu prefs: warning: " << repairUtf8(w) << '\n';
    return read ? ExitStatus::Done : ExitStatus::InputUnusable;
}

} // namespace

CommandRun definePrefs(CommandLine& line)
{
    line.footer("Load FILE as the settings file of a fresh simulated process, run the component's start-up, and print the "
                    "settings as the component took them, with warnings that help fix the file. A file that cannot be read "
                    "still prints the settings the component falls back to, and exits 1.");
    auto o = std::make_shared<PrefsOptions>();
    line.option("FILE", o->file, "the settings property list (XML or binary); - reads standard input").required();
    line.option("--defaults", o->defaults, "the package's defaults file to install beside it");
    line.option("--device", o->device, "the phone whose screen a custom width should fit, a model from `zovorudovu devices`").showDefault();
    return [o](const ToolContext& tool) { return prefs(*o, tool); };
}

} // namespace zovo
