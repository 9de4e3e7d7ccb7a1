// zovorudovu prefs FILE [--defaults FILE]: loads FILE as the settings file of a fresh simulated
// process, runs the component's start-up, and prints the settings as the component took them,
// with warnings that help a person fix the file.

#include "cli/Command.h"
#include "cli/Options.h"

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

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

namespace zovo {
namespace {

enum class Expect { Flag, Colour, Number };
struct Key {
    const char* name;
    Expect expect;
    const char* fallback;
};
constexpr Key kKeys[] = {
    {"isEnabled", Expect::Flag, "true"},          {"bgColour", Expect::Colour, "black"},
    {"textColour", Expect::Colour, "white"},      {"adaptiveColours", Expect::Flag, "false"},
    {"showGrabber", Expect::Flag, "true"},        {"showTimestamp", Expect::Flag, "true"},
    {"customWidth", Expect::Flag, "false"},       {"customWidthValue", Expect::Number, "209"},
};

const char* kindOf(objc::id value)
{
    if (auto* n = objc::cast<NSNumber>(value)) return n->kind() == NSNumber::Kind::Bool ? "a boolean" : "a number";
    if (objc::cast<NSString>(value)) return "text";
    if (objc::cast<NSDictionary>(value)) return "a dictionary";
    if (objc::cast<NSArray>(value)) return "an array";
    return "a value of another kind";
}

std::string quoted(const std::string& s) { return Json(s).dump(); }

// What the colour parser will make of a colour text, told in words when it is likely a mistake.
void checkColourText(const std::string& key, const std::string& text, std::vector<std::string>& warnings)
{
    std::string hex = text.substr(0, text.find(':'));
    std::size_t i = 0;
    while (i < hex.size() && hex[i] == '#') ++i;
    if (i >= hex.size() || !std::isxdigit(static_cast<unsigned char>(hex[i])))
        warnings.push_back(quoted(key) + " is " + quoted(text) + ": its hexadecimal part scans to nothing (a leading blank or a non-hex character), which gives black");
    if (auto colon = text.find(':'); colon != std::string::npos) {
        std::string alpha = text.substr(colon + 1);
        std::size_t j = 0;
        while (j < alpha.size() && std::isspace(static_cast<unsigned char>(alpha[j]))) ++j;
        if (j < alpha.size() && (alpha[j] == '+' || alpha[j] == '-')) ++j;
        if (j >= alpha.size() || !(std::isdigit(static_cast<unsigned char>(alpha[j])) || alpha[j] == '.'))
            warnings.push_back(quoted(key) + " is " + quoted(text) + ": the alpha after ':' is not a number, which gives alpha 0 (fully transparent)");
    }
}

void checkKeys(const NSDictionary* settings, std::vector<std::string>& warnings)
{
    for (const auto& [key, value] : settings->entries()) {
        const Key* known = nullptr;
        for (const auto& k : kKeys)
            if (key == k.name) known = &k;
        if (!known) {
            warnings.push_back("unknown key " + quoted(key) + " is ignored");
            continue;
        }
        const bool isNumber = objc::cast<NSNumber>(value) != nullptr;
        const bool isText = objc::cast<NSString>(value) != nullptr;
        switch (known->expect) {
        case Expect::Flag:
            if (isText)
                warnings.push_back(quoted(key) + " should be a boolean but is text; it is read as " +
                                   (objc::cast<NSString>(value)->boolValue() ? "true" : "false"));
            else if (!isNumber)
                warnings.push_back(quoted(key) + " should be a boolean but is " + kindOf(value) + "; the default (" + known->fallback + ") is used");
            break;
        case Expect::Number:
            if (isText)
                warnings.push_back(quoted(key) + " should be a number but is text; it is read as " + Json(objc::cast<NSString>(value)->floatValue()).dump());
            else if (!isNumber)
                warnings.push_back(quoted(key) + " should be a number but is " + kindOf(value) + "; the default (" + known->fallback + ") is used");
            break;
        case Expect::Colour:
            if (!isText)
                warnings.push_back(quoted(key) + " should be colour text (hex digits, optionally \":alpha\") but is " + kindOf(value) + "; the default (" + known->fallback + ") is used");
            else
                checkColourText(key, objc::cast<NSString>(value)->utf8(), warnings);
            break;
        }
    }
}

Json colourJson(const UIColor* colour)
{
    if (!colour) return nullptr;
    return Json{{"red", colour->red()}, {"green", colour->green()}, {"blue", colour->blue()}, {"alpha", colour->alpha()}};
}

bool copyInto(const fs::path& from, const fs::path& to)
{
    std::error_code ec;
    fs::create_directories(to.parent_path(), ec);
    return fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
}

struct PrefsOptions {
    std::string file;
    std::optional<std::string> defaults;
};

ExitStatus prefs(const PrefsOptions& o, const ToolContext& tool)
{
    const std::optional<std::string> file = o.file, defaults = o.defaults;
    if (defaults && !fs::is_regular_file(*defaults)) return tool.fail(ExitStatus::InputUnusable, "cannot read the defaults file " + *defaults);
    // Standard input is read once, here; the rest works on its bytes as it would on a file's.
    std::optional<InputFile> piped;
    if (*file == "-") piped = readInputFile("-");

    // The process comes first: the file's values are objects of its runtime, and must end
    // before it does.
    Process process;
    std::vector<std::string> warnings;
    PropertyListResult read = piped ? (*piped ? parsePropertyList(piped->bytes, piped->name) : PropertyListResult{}) : readPropertyList(*file);
    if (piped && !*piped) read = PropertyListResult{{}, PropertyListError::Unreadable, piped->error};
    if (!read) warnings.push_back(read.message);
    else checkKeys(read.dictionary.get(), warnings);

    registerUIKitClasses(process.runtime());
    registerHostClasses(process.runtime());
    if (piped) writeWholeFile(process.hostPath(zovorudovu::kSettingsPath).string(), piped->bytes);
    else if (fs::is_regular_file(*file)) copyInto(*file, process.hostPath(zovorudovu::kSettingsPath));
    if (defaults) copyInto(*defaults, process.hostPath(zovorudovu::kDefaultsPath));
    Loader::load(process.runtime(), zovorudovu::library());

    const auto& g = zovorudovu::globals();
    const BLNotificationBridge* bridge = BLNotificationBridge::sharedInstance();
    Json out;
    out["isEnabled"] = g.isEnabled;
    out["bgColour"] = colourJson(g.bgColour.get());
    out["textColour"] = colourJson(g.textColour.get());
    out["adaptiveColours"] = bridge->adaptiveColours;
    out["showGrabber"] = bridge->showGrabber;
    out["showTimestamp"] = bridge->showTimestamp;
    out["customWidth"] = bridge->customWidth;
    out["customWidthValue"] = bridge->customWidthValue;
    out["hooksInstalled"] = g.hooksInstalled;
    out["warnings"] = warnings;
    tool.printJson(out);
    for (const auto& w : warnings) std::fprintf(stderr, "zovorudovu prefs: warning: %s\n", repairUtf8(w).c_str());
    return read ? ExitStatus::Done : ExitStatus::InputUnusable;
}

} // namespace

CommandRun definePrefs(CLI::App& app)
{
    app.footer("Load FILE as the settings file of a fresh simulated process, run the component's start-up, and print the "
                    "settings as the component took them, with warnings that help fix the file. A file that cannot be read "
                    "still prints the settings the component falls back to, and exits 1.");
    auto o = std::make_shared<PrefsOptions>();
    app.add_option("FILE", o->file, "the settings property list (XML or binary); - reads standard input")->required();
    app.add_option("--defaults", o->defaults, "the package's defaults file to install beside it");
    return [o](const ToolContext& tool) { return prefs(*o, tool); };
}

} // namespace zovo
