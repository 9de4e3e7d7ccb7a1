// Scenarios: a device, settings and a timed list of events that a run plays on the virtual clock.
//
//   ErrorOr<Scenario> loaded = loadScenario("demo.json");
//   if (!loaded) { report(loaded.error()); }        // names the event index and the field
//
// A scenario is checked in full before it runs: every field's type, every event's kind, every icon
// file. A scenario that loads runs to its end.
#pragma once

#include "foundation/ErrorOr.h"
#include "foundation/Json.h"
#include "sim/AppIcons.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace zovo {

enum class ScenarioOrientation { Portrait, Landscape };

struct ScenarioNotify {
    std::string id, app, title, subtitle, message, date;
    std::filesystem::path iconFile;      // a PNG, resolved against the scenario's folder
    std::optional<std::uint32_t> iconRGB; // "#RRGGBB": a solid icon of that colour
    std::optional<AppIcon> builtInIcon;   // "messages": an icon the project draws
    bool sticky = false;
};

struct ScenarioTouch {
    enum class Phase { Down, Move, Up, Cancel } phase;
    double x = 0, y = 0;
    double t = 0; // seconds after the event's time
};

struct ScenarioEvent {
    enum class Kind { Notify, Tap, Drag, Hold, Touches, CloseLongLook, Settings, Rotate, Snapshot } kind;
    double at = 0;
    ScenarioNotify notify;
    double dy = 0, duration = 0;          // drag: dy and duration; hold: duration
    std::vector<ScenarioTouch> touches;
    Json settings;      // the new settings dictionary
    ScenarioOrientation rotate = ScenarioOrientation::Portrait;
    std::string label;                    // snapshot
};

struct Scenario {
    std::string device = "iPhone13,2";
    ScenarioOrientation orientation = ScenarioOrientation::Portrait;
    std::optional<Json> settings; // absent: no settings file
    // The package's defaults file. A scenario is a phone with the package installed unless it says
    // otherwise: without the key the shipped defaults are in place, `"defaults": null` asks for no
    // defaults file, and a dictionary is written as the file.
    enum class Defaults { Shipped, None, Given } defaultsFile = Defaults::Shipped;
    std::optional<Json> defaults; // the dictionary, when Given
    double bannerDuration = 5.0;                    // the system banner's dismiss timer
    double until = 10.0;                            // when the run stops
    std::vector<ScenarioEvent> events;              // in time order (stable for equal times)
};

// An error names the file, the event index and the field.
ErrorOr<Scenario> loadScenario(const std::filesystem::path& file);
// `baseDir` resolves relative icon paths; `name` stands for the source in messages.
ErrorOr<Scenario> parseScenario(const std::string& text, const std::filesystem::path& baseDir, const std::string& name);

// The scenario as a file would hold it, so that parseScenario gives the same scenario back. Every
// field is written, defaults included, so a reader sees what the run will do. Icon files are
// written with the path they were resolved to, so the written file finds them from any folder.
Json scenarioToJson(const Scenario& scenario);

} // namespace zovo
