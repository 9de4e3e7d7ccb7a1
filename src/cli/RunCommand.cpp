// zovorudovu run SCENARIO [--trace FILE] [--frames DIR [--fps N] [--scale S]] [--snapshot-png]:
// plays a scenario in a fresh simulated process on the virtual clock and writes the trace as JSON
// lines; with --frames it also films the run (numbered PNG frames and animation.gif), and with
// --snapshot-png each snapshot event also writes LABEL.png.

#include "cli/Command.h"
#include "cli/Options.h"
#include "cli/Progress.h"

#include "render/ScreenRenderer.h"
#include "sim/FrameRecorder.h"
#include "sim/Scenario.h"
#include "sim/ScenarioRunner.h"

#include <filesystem>
#include <fstream>
#include <memory>
#include <ostream>

namespace zovo {
namespace {

struct RunOptions {
    std::string scenario;
    std::optional<std::string> trace, frames;
    std::optional<double> fps, scale;
    bool snapshotPNG = false;
};

ExitStatus run(const RunOptions& o, const ToolContext& tool)
{
    if ((o.fps || o.scale) && !o.frames && !o.snapshotPNG)
        return tool.fail(ExitStatus::BadCommandLine, "--fps and --scale go with --frames or --snapshot-png");

    ErrorOr<Scenario> loaded = Error{};
    if (o.scenario == "-") {
        // Icons named by a relative path are looked for in the current folder.
        ErrorOr<InputFile> text = readInputFile("-");
        if (!text) return tool.fail(ExitStatus::InputUnusable, text.error());
        loaded = parseScenario(text->bytes, std::filesystem::current_path(), text->name);
    } else {
        loaded = loadScenario(o.scenario);
    }
    if (!loaded) return tool.fail(ExitStatus::InputUnusable, loaded.error());

    std::ofstream file;
    std::ostream* out = &tool.out();
    if (o.trace) {
        const std::filesystem::path tracePath = *o.trace;
        std::error_code ec;
        if (tracePath.has_parent_path()) std::filesystem::create_directories(tracePath.parent_path(), ec);
        file.open(tracePath, std::ios::binary | std::ios::trunc);
        if (!file) return tool.fail(ExitStatus::InputUnusable, "cannot write the trace file " + *o.trace);
        out = &file;
    }

    const double fps = o.fps.value_or(30), scale = o.scale.value_or(0);
    const double until = loaded->until;
    ProgressLine progress(tool);
    RunnerOptions options;
    options.onEvent = [out](const TraceEvent& e) { *out << e.toJson() << '\n'; };
    options.onWarning = [&](const std::string& warning) {
        progress.finish();
        tool.err() << "zovorudovu run: warning: " << warning << '\n';
    };
    // The recorder belongs to the run's process: made at the first frame, ended when the run ends.
    std::unique_ptr<FrameRecorder> recorder;
    std::string filmProblem;
    if (o.frames) {
        options.fps = fps;
        options.onFrame = [&](Process&, double) {
            if (!filmProblem.empty()) return;
            if (!recorder) {
                FrameRecorder::Options r;
                r.dir = *o.frames;
                r.fps = fps;
                r.scale = scale;
                r.expectedFrames = static_cast<int>(until * fps) + 1;
                r.progress = progress.stream();
                recorder = std::make_unique<FrameRecorder>(r);
            }
            if (auto captured = recorder->capture(); !captured) filmProblem = captured.error();
        };
    }
    if (o.snapshotPNG) {
        std::filesystem::path dir = ".";
        if (o.frames) dir = *o.frames;
        else if (o.trace) dir = std::filesystem::path(*o.trace).parent_path();
        if (dir.empty()) dir = ".";
        options.onSnapshot = [&, dir](Process&, const std::string& label) {
            std::error_code ec;
            std::filesystem::create_directories(dir, ec);
            RenderOptions render;
            render.scale = scale;
            if (auto written = writeFramePNG(renderScreen(render), dir / (label + ".png")); !written && filmProblem.empty()) filmProblem = written.error();
        };
    }
    options.onFinish = [&](Process&, SpringBoardHost&) {
        if (recorder) {
            if (auto done = recorder->finish(); !done && filmProblem.empty()) filmProblem = done.error();
            recorder.reset();
        }
    };
    const std::string name = o.scenario == "-" ? "standard input" : o.scenario;
    ScenarioRunner runner(std::move(loaded).value(), options);
    const ErrorOr<void> ran = runner.run();
    progress.finish();
    if (!ran) return tool.fail(ExitStatus::InputUnusable, name + ": " + ran.error());
    if (!filmProblem.empty()) return tool.fail(ExitStatus::InputUnusable, filmProblem);
    out->flush();
    if (!*out) return tool.fail(ExitStatus::InputUnusable, "writing the trace failed");
    return ExitStatus::Done;
}

} // namespace

CommandRun defineRun(CommandLine& line)
{
    line.footer("Play a scenario in a fresh simulated process on the virtual clock and write its trace as JSON lines, one "
                    "record a line (standard output without --trace). A bad scenario is refused before it runs, naming the "
                    "event index and field.");
    auto o = std::make_shared<RunOptions>();
    line.option("SCENARIO", o->scenario, "the scenario, a JSON file; - reads standard input").required();
    line.option("--trace", o->trace, "write the trace into this file");
    line.option("--frames", o->frames, "write DIR/frame-NNNNN.png for the whole run and DIR/animation.gif");
    line.option("--fps", o->fps, "frames a second of the run (default 30)").check(aboveAtMost(0, 120));
    line.option("--scale", o->scale, "pixels a point (default: the device's own scale)").check(aboveAtMost(0, 4));
    line.flag("--snapshot-png", o->snapshotPNG,
                 "also write LABEL.png at each snapshot event, into the --frames folder when given, else beside the --trace file, else the current folder");
    return [o](const ToolContext& tool) { return run(*o, tool); };
}

} // namespace zovo
