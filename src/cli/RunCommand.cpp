// zovorudovu run SCENARIO [--trace FILE] [--frames DIR [--fps N] [--scale S]] [--snapshot-png]:
// plays a scenario in a fresh simulated process on the virtual clock and writes the trace as JSON
// lines; with --frames it also films the run (numbered PNG frames and animation.gif), and with
// --snapshot-png each snapshot event also writes LABEL.png.

#include "cli/Command.h"

#include "render/ScreenRenderer.h"
#include "sim/FrameRecorder.h"
#include "cli/Options.h"
#include "sim/Scenario.h"
#include "sim/ScenarioRunner.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>

namespace zovo {
namespace {

constexpr OptionDefinition kOptions[] = {{"--trace", "FILE"}, {"--frames", "DIR"}, {"--fps", "N"}, {"--scale", "S"}, {"--snapshot-png", nullptr}};
constexpr const char* kUsage =
    "usage: zovorudovu run SCENARIO.json [--trace FILE] [--frames DIR [--fps N] [--scale S]] [--snapshot-png]\n"
    "  --frames        write DIR/frame-NNNNN.png for the whole run and DIR/animation.gif\n"
    "  --fps           frames a second of the run (default 30)\n"
    "  --scale         pixels a point (default: the device's own scale)\n"
    "  --snapshot-png  also write LABEL.png at each snapshot event, into the --frames folder when\n"
    "                  given, else beside the --trace file, else the current folder\n";

int usageError(const std::string& message)
{
    std::fprintf(stderr, "zovorudovu run: %s\n%s", message.c_str(), kUsage);
    return 2;
}

} // namespace

int runCommand(const Arguments& args)
{
    ParsedOptions parsed = parseOptions(args, kOptions);
    if (!parsed.error.empty()) return usageError(parsed.error);
    if (parsed.positional.size() != 1) return usageError(parsed.positional.empty() ? "no scenario given" : "more than one scenario given");

    ScenarioLoad loaded = loadScenario(parsed.positional.front());
    if (!loaded) {
        std::fprintf(stderr, "zovorudovu run: %s\n", loaded.error.c_str());
        return 2;
    }

    std::ofstream file;
    std::ostream* out = &std::cout;
    if (parsed.has("--trace")) {
        const std::filesystem::path tracePath = parsed.value("--trace");
        std::error_code ec;
        if (tracePath.has_parent_path()) std::filesystem::create_directories(tracePath.parent_path(), ec);
        file.open(tracePath, std::ios::binary | std::ios::trunc);
        if (!file) {
            std::fprintf(stderr, "zovorudovu run: cannot write the trace file %s\n", parsed.value("--trace").c_str());
            return 1;
        }
        out = &file;
    }

    double fps = 30, scale = 0;
    if (std::string bad = numberOption(parsed, "--fps", 0, 120, fps); !bad.empty()) return usageError(bad);
    if (std::string bad = numberOption(parsed, "--scale", 0, 4, scale); !bad.empty()) return usageError(bad);
    if ((parsed.has("--fps") || parsed.has("--scale")) && !parsed.has("--frames") && !parsed.has("--snapshot-png"))
        return usageError("--fps and --scale go with --frames or --snapshot-png");

    const double until = loaded.scenario->until;
    RunnerOptions options;
    options.onEvent = [out](const TraceEvent& e) { *out << e.toJson() << '\n'; };
    // The recorder belongs to the run's process: made at the first frame, ended when the run ends.
    std::unique_ptr<FrameRecorder> recorder;
    std::string filmProblem;
    if (parsed.has("--frames")) {
        options.fps = fps;
        options.onFrame = [&](Process&, double) {
            if (!filmProblem.empty()) return;
            if (!recorder) {
                FrameRecorder::Options o;
                o.dir = parsed.value("--frames");
                o.fps = fps;
                o.scale = scale;
                o.expectedFrames = static_cast<int>(until * fps) + 1;
                recorder = std::make_unique<FrameRecorder>(o);
            }
            if (auto captured = recorder->capture(); !captured) filmProblem = captured.message;
        };
    }
    if (parsed.has("--snapshot-png")) {
        std::filesystem::path dir = ".";
        if (parsed.has("--frames")) dir = parsed.value("--frames");
        else if (parsed.has("--trace")) dir = std::filesystem::path(parsed.value("--trace")).parent_path();
        if (dir.empty()) dir = ".";
        options.onSnapshot = [&, dir](Process&, const std::string& label) {
            std::error_code ec;
            std::filesystem::create_directories(dir, ec);
            RenderOptions render;
            render.scale = scale;
            if (auto written = writeFramePNG(renderScreen(render), dir / (label + ".png")); !written && filmProblem.empty()) filmProblem = written.message;
        };
    }
    options.onFinish = [&](Process&, SpringBoardHost&) {
        if (recorder) {
            if (auto done = recorder->finish(); !done && filmProblem.empty()) filmProblem = done.message;
            recorder.reset();
        }
    };
    ScenarioRunner runner(std::move(*loaded.scenario), options);
    if (std::string problem = runner.run(); !problem.empty()) {
        std::fprintf(stderr, "zovorudovu run: %s: %s\n", parsed.positional.front().c_str(), problem.c_str());
        return 2;
    }
    if (!filmProblem.empty()) {
        std::fprintf(stderr, "zovorudovu run: %s\n", filmProblem.c_str());
        return 1;
    }
    out->flush();
    if (!*out) {
        std::fprintf(stderr, "zovorudovu run: writing the trace failed\n");
        return 1;
    }
    return 0;
}

} // namespace zovo
