// Holding a look with reference images: a scenario is played as `run` plays it, and at each of its
// snapshot events the screen is drawn at the device's scale and compared with
// `refs/<scenario name>/<label>.png`.
//
//   CheckSettings settings{.refs = "tests/refs", .record = RecordMode::Never};
//   ScenarioCheck checked = checkScenario("tests/scenarios/demo.json", settings);
//   for (const SnapshotCheck& s : checked.snapshots)
//       if (!s.ok()) std::cerr << s.label << ": " << s.message << '\n';
//
// A scenario is the unit of work: each runs in a fresh simulated process and touches only its own
// reference folder and its own folder of the report, so scenarios may be checked side by side in
// separate operating-system processes. Results travel between them as JSON.
#pragma once

#include "foundation/Json.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace zovo {

enum class RecordMode {
    Missing, // write references that do not exist yet; a written one fails the run
    All,     // write every reference whose pixels are not already those of the screen
    Failed,  // write those missing or differing beyond the tolerance
    Never,   // write nothing; a missing reference is a failure
};

// "missing", "all", "failed", "never"; nothing for another word.
std::optional<RecordMode> recordModeNamed(const std::string& name);

struct CheckSettings {
    std::filesystem::path refs;
    RecordMode record = RecordMode::Missing;
    double threshold = 0;            // the colour distance (0 to 1) a pixel may move and still match
    std::uint64_t maxDiffPixels = 0; // how many pixels may differ beyond it
    // When set, every scenario plays on this phone model instead of the one it names, so one
    // scenario holds its look on several phones (one reference folder for each).
    std::string device;
    // Where the pictures of a report go (DIR/<scenario>/<label>.expected.png, .actual.png,
    // .diff.png); empty: no pictures.
    std::filesystem::path report;
};

struct SnapshotCheck {
    enum class Status { Passed, Failed, Missing, Recorded } status = Status::Passed;
    std::string label;
    std::string message;               // for people: what matched, differed or was written
    std::filesystem::path reference;   // the reference file
    std::uint64_t differing = 0;       // pixels beyond the threshold
    double largest = 0;                // the largest colour distance seen
    // Pictures written for the report, relative to its folder; empty when not written.
    std::string expected, actual, diff;

    bool ok() const { return status == Status::Passed; }
};

struct ScenarioCheck {
    std::string name;                  // the scenario file's name without ".json"
    std::filesystem::path file;
    std::string error;                 // the scenario could not be loaded or run; nothing was checked
    std::vector<std::string> warnings; // the component inactive, no snapshot events ...
    std::vector<SnapshotCheck> snapshots;
    double seconds = 0;                // wall time of the check

    bool ok() const;
};

// The name of a scenario's reference folder: its file name without the ".json".
std::string scenarioName(const std::filesystem::path& file);

// Plays and checks one scenario. Never throws for bad input: a scenario that cannot be used fills
// `error`, a reference that cannot be used fails its snapshot with a message naming the file.
ScenarioCheck checkScenario(const std::filesystem::path& file, const CheckSettings& settings);

const char* statusName(SnapshotCheck::Status status);
Json toJson(const ScenarioCheck& check);
// The inverse of toJson, for results read back from a worker; fields that are missing keep their
// defaults.
ScenarioCheck scenarioCheckFromJson(const nlohmann::json& json);

} // namespace zovo
