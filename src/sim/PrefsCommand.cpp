// zovorudovu prefs FILE [--defaults FILE]: loads FILE as the settings file of a fresh simulated
// process, runs the component's start-up, and prints the settings as the component took them,
// with warnings that help a person fix the file.

#include "sim/Command.h"
#include "sim/Options.h"
#include "sim/SettingsReport.h"

#include "foundation/NSArray.h"
#include "foundation/NSDictionary.h"
#include "foundation/NSNumber.h"
#include "foundation/NSString.h"
#include "foundation/Process.h"
#include "foundation/PropertyList.h"
#include "objc/Message.h"
#include "springboard/HostClasses.h"
#include "substrate/Loader.h"
#include "tweak/BLNotificationBridge.h"
#include "tweak/Tweak.h"
#include "uikit/UIColor.h"
#include "uikit/UIKitClasses.h"

#include <nlohmann/json.hpp>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

namespace zovo {
namespace {

int usageError(const std::string& message)
{
    std::fprintf(stderr, "zovorudovu prefs: %s\nusage: zovorudovu prefs FILE [--defaults FILE]\n", message.c_str());
    return 2;
}

bool copyInto(const fs::path& from, const fs::path& to)
{
    std::error_code ec;
    fs::create_directories(to.parent_path(), ec);
    return fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
}

} // namespace

int prefsCommand(const Arguments& args)
{
    constexpr OptionDefinition kOptions[] = {{"--defaults", "FILE"}};
    ParsedOptions parsed = parseOptions(args, kOptions);
    if (!parsed.error.empty()) return usageError(parsed.error);
    if (parsed.positional.size() > 1) return usageError("more than one settings file given");
    std::optional<std::string> file, defaults;
    if (!parsed.positional.empty()) file = parsed.positional.front();
    if (parsed.has("--defaults")) defaults = parsed.value("--defaults");
    if (!file) return usageError("no settings file given");
    if (defaults && !fs::is_regular_file(*defaults)) return usageError("cannot read the defaults file " + *defaults);

    // The process comes first: the file's values are objects of its runtime, and must end
    // before it does.
    Process process;
    std::vector<std::string> warnings;
    PropertyListResult read = readPropertyList(*file);
    if (!read) warnings.push_back(read.message);
    else warnings = settingsWarnings(read.dictionary.get());

    registerUIKitClasses(process.runtime());
    registerHostClasses(process.runtime());
    if (fs::is_regular_file(*file)) copyInto(*file, process.hostPath(zovorudovu::kSettingsPath));
    if (defaults) copyInto(*defaults, process.hostPath(zovorudovu::kDefaultsPath));
    Loader::load(process.runtime(), zovorudovu::library());

    Json out = reportSettings(nullptr).effective;
    out["warnings"] = warnings;
    std::cout << out.dump(2) << '\n';
    for (const auto& w : warnings) std::fprintf(stderr, "warning: %s\n", w.c_str());
    return read ? 0 : 1;
}

} // namespace zovo
