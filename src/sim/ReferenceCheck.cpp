#include "sim/ReferenceCheck.h"

#include "render/ScreenRenderer.h"
#include "sim/ReferenceImage.h"
#include "sim/Scenario.h"
#include "sim/ScenarioRunner.h"

#include <chrono>
#include <cstdio>
#include <set>

namespace zovo {
namespace {

namespace fs = std::filesystem;
using Status = SnapshotCheck::Status;

std::string sizeText(int width, int height) { return std::to_string(width) + " x " + std::to_string(height) + " pixels"; }

std::string distanceText(double d)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", d);
    return text;
}

// Checks one snapshot's screen against its reference, recording as the mode says, and writes the
// report's pictures for anything that is not a plain pass.
class SnapshotChecker {
public:
    SnapshotChecker(const CheckSettings& settings, std::string scenario) : settings_(settings), scenario_(std::move(scenario)) {}

    SnapshotCheck check(const std::string& label, const Frame& screen)
    {
        SnapshotCheck s;
        s.label = label;
        s.reference = settings_.refs / scenario_ / (label + ".png");
        if (!labels_.insert(label).second) {
            s.status = Status::Failed;
            s.message = "the label \"" + label + "\" is used by an earlier snapshot of this scenario; each snapshot needs its own";
            return s;
        }
        std::error_code ec;
        if (!fs::exists(s.reference, ec)) {
            if (settings_.record == RecordMode::Never) {
                s.status = Status::Missing;
                s.message = "no reference " + s.reference.string() + " (nothing written: recording is off)";
            } else {
                record(s, screen, "new reference");
            }
            writePictures(s, screen, nullptr);
            return s;
        }
        if (referenceVouchesFor(s.reference, screen)) {
            s.message = "matches " + s.reference.string();
            return s;
        }

        ErrorOr<Frame> expected = loadReferencePNG(s.reference, screen.scale());
        std::string problem;
        if (!expected) problem = expected.error();
        else if (expected->width() != screen.width() || expected->height() != screen.height())
            problem = s.reference.string() + ": the reference is " + sizeText(expected->width(), expected->height()) + ", the screen " +
                      sizeText(screen.width(), screen.height());
        if (!problem.empty()) {
            if (settings_.record == RecordMode::All || settings_.record == RecordMode::Failed) {
                keepExpected(s);
                record(s, screen, "replaced a reference that could not be used (" + problem + ")");
            } else {
                s.status = Status::Failed;
                s.message = problem;
            }
            writePictures(s, screen, nullptr);
            return s;
        }

        Frame diff;
        const PixelDifference d = compareFrames(*expected, screen, settings_.threshold, settings_.report.empty() ? nullptr : &diff);
        s.differing = d.differing;
        s.largest = d.largest;
        const bool within = d.differing <= settings_.maxDiffPixels;
        const bool identical = d.largest == 0;
        const std::string counted = std::to_string(d.differing) + " pixel" + (d.differing == 1 ? "" : "s") + " differ beyond the threshold of " +
                                    distanceText(settings_.threshold) + " (largest distance " + distanceText(d.largest) + ")";
        if ((settings_.record == RecordMode::All && !identical) || (settings_.record == RecordMode::Failed && !within)) {
            keepExpected(s);
            record(s, screen, "rewrote the reference: " + counted);
        } else if (within) {
            s.message = identical ? "matches " + s.reference.string() : counted + ", within the tolerance of " + std::to_string(settings_.maxDiffPixels);
            return s;
        } else {
            s.status = Status::Failed;
            s.message = counted + " from " + s.reference.string() + "; at most " + std::to_string(settings_.maxDiffPixels) + " may";
            keepExpected(s);
        }
        writePictures(s, screen, settings_.report.empty() ? nullptr : &diff);
        return s;
    }

private:
    std::string picture(const std::string& label, const char* kind) const { return scenario_ + "/" + label + "." + kind + ".png"; }

    // Copies the reference into the report before anything replaces it.
    void keepExpected(SnapshotCheck& s)
    {
        if (settings_.report.empty()) return;
        std::error_code ec;
        fs::create_directories(settings_.report / scenario_, ec);
        const std::string name = picture(s.label, "expected");
        if (fs::copy_file(s.reference, settings_.report / name, fs::copy_options::overwrite_existing, ec)) s.expected = name;
    }

    void record(SnapshotCheck& s, const Frame& screen, const std::string& why)
    {
        if (ErrorOr<void> written = writeReferencePNG(screen, s.reference); !written) {
            s.status = Status::Failed;
            s.message = written.error();
            return;
        }
        s.status = Status::Recorded;
        s.message = why + ": wrote " + s.reference.string();
    }

    void writePictures(SnapshotCheck& s, const Frame& screen, const Frame* diff)
    {
        if (settings_.report.empty()) return;
        std::error_code ec;
        fs::create_directories(settings_.report / scenario_, ec);
        const std::string actual = picture(s.label, "actual");
        if (writeFramePNG(screen, settings_.report / actual)) s.actual = actual;
        const std::string diffName = picture(s.label, "diff");
        if (diff && !s.expected.empty() && writeFramePNG(*diff, settings_.report / diffName)) s.diff = diffName;
    }

    const CheckSettings& settings_;
    std::string scenario_;
    std::set<std::string> labels_;
};

} // namespace

std::optional<RecordMode> recordModeNamed(const std::string& name)
{
    if (name == "missing") return RecordMode::Missing;
    if (name == "all") return RecordMode::All;
    if (name == "failed") return RecordMode::Failed;
    if (name == "never") return RecordMode::Never;
    return std::nullopt;
}

bool ScenarioCheck::ok() const
{
    if (!error.empty()) return false;
    for (const SnapshotCheck& s : snapshots)
        if (!s.ok()) return false;
    return true;
}

std::string scenarioName(const fs::path& file)
{
    const std::string name = file.filename().string();
    return name.size() > 5 && name.ends_with(".json") ? name.substr(0, name.size() - 5) : name;
}

ScenarioCheck checkScenario(const fs::path& file, const CheckSettings& settings)
{
    const auto started = std::chrono::steady_clock::now();
    ScenarioCheck result;
    result.name = scenarioName(file);
    result.file = file;
    // The name is a folder under the references and the report; "." and ".." would leave them.
    if (result.name.empty() || result.name == "." || result.name == "..") {
        result.error = file.string() + ": a scenario's file name (without .json) names its reference folder, and \"" + result.name + "\" cannot";
        return result;
    }
    ErrorOr<Scenario> loaded = loadScenario(file);
    if (!loaded) {
        result.error = loaded.error();
        return result;
    }
    if (!settings.device.empty()) loaded->device = settings.device;
    bool anySnapshot = false;
    for (const ScenarioEvent& e : loaded->events) anySnapshot = anySnapshot || e.kind == ScenarioEvent::Kind::Snapshot;
    if (!anySnapshot) result.warnings.push_back("no snapshot events: nothing to check");

    SnapshotChecker checker(settings, result.name);
    RunnerOptions options;
    options.onWarning = [&](const std::string& warning) { result.warnings.push_back(warning); };
    if (anySnapshot) {
        // One frame, drawn again at each snapshot, so a scenario allocates one screenful.
        auto screen = std::make_shared<Frame>();
        options.onSnapshot = [&, screen](Process&, const std::string& label) {
            renderScreen(*screen, {});
            result.snapshots.push_back(checker.check(label, *screen));
        };
    }
    ScenarioRunner runner(std::move(loaded).value(), options);
    if (ErrorOr<void> ran = runner.run(); !ran) result.error = file.string() + ": " + ran.error();
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return result;
}

const char* statusName(Status status)
{
    switch (status) {
    case Status::Passed: return "passed";
    case Status::Failed: return "failed";
    case Status::Missing: return "missing";
    case Status::Recorded: return "recorded";
    }
    return "failed";
}

Json toJson(const ScenarioCheck& check)
{
    Json snapshots = Json::array();
    for (const SnapshotCheck& s : check.snapshots) {
        Json one{{"label", s.label}, {"status", statusName(s.status)}, {"message", s.message},
                                   {"reference", s.reference.string()}, {"differing", s.differing}, {"largest", s.largest}};
        if (!s.expected.empty()) one["expected"] = s.expected;
        if (!s.actual.empty()) one["actual"] = s.actual;
        if (!s.diff.empty()) one["diff"] = s.diff;
        snapshots.push_back(std::move(one));
    }
    Json out{{"name", check.name}, {"file", check.file.string()}};
    if (!check.error.empty()) out["error"] = check.error;
    out["warnings"] = check.warnings;
    out["seconds"] = check.seconds;
    out["snapshots"] = std::move(snapshots);
    return out;
}

ScenarioCheck scenarioCheckFromJson(const nlohmann::json& json)
{
    ScenarioCheck check;
    check.name = json.value("name", "");
    check.file = json.value("file", "");
    check.error = json.value("error", "");
    check.warnings = json.value("warnings", std::vector<std::string>{});
    check.seconds = json.value("seconds", 0.0);
    for (const nlohmann::json& one : json.value("snapshots", nlohmann::json::array())) {
        SnapshotCheck s;
        const std::string status = one.value("status", "failed");
        s.status = status == "passed" ? Status::Passed : status == "missing" ? Status::Missing : status == "recorded" ? Status::Recorded : Status::Failed;
        s.label = one.value("label", "");
        s.message = one.value("message", "");
        s.reference = one.value("reference", "");
        s.differing = one.value("differing", std::uint64_t{0});
        s.largest = one.value("largest", 0.0);
        s.expected = one.value("expected", "");
        s.actual = one.value("actual", "");
        s.diff = one.value("diff", "");
        check.snapshots.push_back(std::move(s));
    }
    return check;
}

} // namespace zovo
