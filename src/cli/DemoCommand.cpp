// zovorudovu demo [--out DIR] [--scenario FILE] [--fps N] [--scale S] [--frames]: the main job.
// Plays the built-in scenario (or the one given) and writes, into DIR (default out/demo): the
// animation as WebP with a GIF fallback, key frames at the device's own scale, the trace, and
// index.html to open; the numbered frames too with --frames.

#include "cli/Command.h"
#include "cli/DemoScenario.h"
#include "cli/DemoStory.h"
#include "cli/Html.h"
#include "cli/Options.h"
#include "cli/Progress.h"
#include "foundation/Json.h"

#include "render/ScreenRenderer.h"
#include "render/WebPAnimation.h"
#include "sim/FrameRecorder.h"
#include "sim/Scenario.h"
#include "sim/ScenarioRunner.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace zovo {
namespace {

struct DemoOptions {
    std::string out = "out/demo";
    std::optional<std::string> scenario;
    double fps = 30;
    double scale = 1;
    bool frames = false;
};

// The key frames' scale: the device's own, so the page can show them as sharp as the phone.
constexpr double kKeyFrameScale = 0;

std::string seconds(double time)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f s", time);
    return text;
}

std::string page(const std::vector<std::string>& keyframes, const std::vector<DemoStory::Row>& rows, const std::vector<std::string>& rawTrace,
                 const std::string& device, const std::string& screen)
{
    std::ostringstream html;
    html << "<!doctype html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">\n"
         << "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>Zovorudovu demo</title>\n<style>\n"
         << "body{font:15px/1.45 Inter,'DejaVu Sans',sans-serif;margin:0;padding:2rem 2.5rem;background:#f4f4f6;color:#1c1c1e}\n"
         << "h1{margin:0 0 .3rem;font-size:1.8rem}h2{font-size:1.15rem;margin:1.6rem 0 .7rem}\n"
         << ".lead{max-width:60rem;color:#3a3a3c}\n"
         << ".row{display:flex;gap:2.5rem;align-items:flex-start;flex-wrap:wrap}\n"
         << ".phone{display:block;border-radius:28px;box-shadow:0 6px 24px rgba(0,0,0,.22);background:#000}\n"
         << ".keys{display:flex;gap:1.6rem;flex-wrap:wrap}.keys figure{margin:0}\n"
         // The banner lives at the top of the screen: each key frame shows that part, larger
         // than the phone itself, and the whole screen is a click away.
         << ".crop{display:block;width:540px;height:300px;overflow:hidden;border-radius:28px 28px 10px 10px;"
            "box-shadow:0 6px 24px rgba(0,0,0,.22);background:#000}.crop img{display:block;width:540px}\n"
         << "figcaption{font-size:.9rem;text-align:center;margin-top:.5rem;color:#3a3a3c}\n"
         << "table{border-collapse:collapse}td{padding:.28rem .7rem;border-bottom:1px solid #e0e0e4;vertical-align:top}\n"
         << "td.t{text-align:right;color:#6e6e73;font-variant-numeric:tabular-nums;white-space:nowrap}\n"
         << "details{margin-top:1.5rem}summary{cursor:pointer;font-weight:600}\n"
         << "pre{font-size:.75rem;background:#fff;padding:1rem;border-radius:8px;overflow:auto;max-height:40rem}\n</style></head><body>\n"
         << "<h1>Zovorudovu</h1>\n<p class=\"lead\">A notch-style notification banner, running in a simulated home screen on "
         << escapeHTML(device) << " (" << escapeHTML(screen) << " points). Watch a message slide in from the notch and time out, a "
         << "weather alert take its colours from its icon and be pulled down into the long look, and a mail be pushed away.</p>\n"
         << "<div class=\"row\"><div><h2>The run</h2><picture><source srcset=\"animation.webp\" type=\"image/webp\">"
         << "<img class=\"phone\" src=\"animation.gif\" width=\"390\" alt=\"The whole run, animated\"></picture></div>\n"
         << "<div><h2>What happened</h2><table>\n";
    for (const auto& row : rows) html << "<tr><td class=\"t\">" << seconds(row.time) << "</td><td>" << escapeHTML(row.text) << "</td></tr>\n";
    html << "</table></div></div>\n<h2>Key frames</h2>\n<div class=\"keys\">\n";
    for (const auto& k : keyframes)
        html << "<figure><a class=\"crop\" href=\"keyframes/" << escapeHTML(k) << ".png\" title=\"the whole screen\"><img src=\"keyframes/" << escapeHTML(k)
             << ".png\" alt=\"" << escapeHTML(k) << "\"></a><figcaption>" << escapeHTML(k) << "</figcaption></figure>\n";
    html << "</div>\n<details><summary>The raw trace: " << rawTrace.size() << " records</summary>\n"
         << "<p>Also as <a href=\"trace.jsonl\">trace.jsonl</a>, one JSON record a line.</p><pre>";
    for (const auto& line : rawTrace) html << escapeHTML(line) << '\n';
    html << "</pre></details>\n</body></html>\n";
    return html.str();
}

ExitStatus demo(const DemoOptions& o, const ToolContext& tool)
{
    auto failure = [&](const std::string& message) { return tool.fail(ExitStatus::InputUnusable, message); };
    const fs::path out = o.out;

    ErrorOr<Scenario> loaded = Error{};
    std::string source = "the built-in scenario";
    if (o.scenario) {
        ErrorOr<InputFile> text = readInputFile(*o.scenario);
        if (!text) return failure(text.error());
        source = text->name;
        const fs::path base = *o.scenario == "-" ? fs::current_path() : fs::path(*o.scenario).parent_path();
        loaded = parseScenario(text->bytes, base, text->name);
    } else {
        loaded = parseScenario(kDemoScenario, fs::current_path(), "the built-in scenario");
    }
    if (!loaded) return failure(loaded.error());

    std::error_code ec;
    fs::create_directories(out / "keyframes", ec);
    if (ec) return failure("cannot make the output folder " + out.string() + ": " + ec.message());

    const Scenario& scenario = loaded.value();
    const std::string device = scenario.device;
    const double until = scenario.until;
    DemoStory story;
    for (const ScenarioEvent& event : scenario.events)
        if (event.kind == ScenarioEvent::Kind::Notify) story.name(event.notify.id, event.notify.app, event.notify.title);

    std::ofstream trace(out / "trace.jsonl", std::ios::binary | std::ios::trunc);
    if (!trace) return failure("cannot write " + (out / "trace.jsonl").string());

    ProgressLine progress(tool);
    progress.update("playing " + source + " on " + device);
    std::vector<std::string> rawTrace, keyframes;
    std::unique_ptr<FrameRecorder> recorder;
    std::unique_ptr<WebPAnimationWriter> webp;
    std::string problem, screen;
    RunnerOptions options;
    options.fps = o.fps;
    options.onEvent = [&](const TraceEvent& e) {
        std::string line = e.toJson();
        trace << line << '\n';
        rawTrace.push_back(std::move(line));
        story.add(e);
    };
    options.onFrame = [&](Process&, double) {
        if (!problem.empty()) return;
        if (!recorder) {
            FrameRecorder::Options r;
            r.dir = out;
            r.fps = o.fps;
            r.scale = o.scale;
            r.writePNGs = o.frames;
            r.expectedFrames = static_cast<int>(until * o.fps) + 1;
            r.progress = progress.stream();
            recorder = std::make_unique<FrameRecorder>(r);
        }
        const int index = recorder->frameCount();
        if (auto captured = recorder->capture(); !captured) {
            problem = captured.error();
            return;
        }
        const Frame& frame = recorder->lastFrame();
        if (!webp) {
            ErrorOr<std::unique_ptr<WebPAnimationWriter>> made = WebPAnimationWriter::create(out / "animation.webp", frame.width(), frame.height());
            if (!made) {
                problem = made.error();
                return;
            }
            webp = std::move(made).value();
            screen = std::to_string(std::lround(frame.width() / frame.scale())) + " \u00d7 " + std::to_string(std::lround(frame.height() / frame.scale()));
        }
        if (auto added = webp->addFrame(frame, static_cast<int>(std::lround(index * 1000.0 / o.fps))); !added) problem = added.error();
    };
    options.onSnapshot = [&](Process&, const std::string& label) {
        if (auto written = writeFramePNG(renderScreen(RenderOptions{.scale = kKeyFrameScale}), out / "keyframes" / (label + ".png")); !written) problem = written.error();
        keyframes.push_back(label);
    };
    options.onFinish = [&](Process&, SpringBoardHost&) {
        if (recorder) {
            if (auto done = recorder->finish(); !done && problem.empty()) problem = done.error();
            if (webp && problem.empty()) {
                progress.update("writing animation.webp");
                if (auto done = webp->finish(static_cast<int>(std::lround(recorder->frameCount() * 1000.0 / o.fps))); !done) problem = done.error();
            }
            recorder.reset();
        }
    };
    ScenarioRunner runner(std::move(loaded).value(), options);
    const ErrorOr<void> ran = runner.run();
    progress.finish();
    if (!ran) return failure(source + ": " + ran.error());
    if (!problem.empty()) return failure(problem);
    trace.flush();
    if (!trace) return failure("writing " + (out / "trace.jsonl").string() + " failed");

    std::ofstream index(out / "index.html", std::ios::binary | std::ios::trunc);
    index << page(keyframes, story.rows(), rawTrace, device, screen);
    index.close();
    if (!index) return failure("cannot write " + (out / "index.html").string());

    tool.printJson(Json{{"out", out.string()},
                        {"index", (out / "index.html").string()},
                        {"animation", (out / "animation.webp").string()},
                        {"fallback", (out / "animation.gif").string()},
                        {"trace", (out / "trace.jsonl").string()},
                        {"frames", webp ? webp->frameCount() : 0},
                        {"keyframes", keyframes}});
    tool.err() << "zovorudovu demo: done; open " << (out / "index.html").string() << '\n';
    return ExitStatus::Done;
}

} // namespace

CommandRun defineDemo(CommandLine& line)
{
    line.footer("The main job: play the built-in scenario (data/demo.json) on a simulated iPhone 13 Pro and write into the "
                    "output folder index.html to open (the animation, readable key frames, the events in plain words, the raw "
                    "trace), animation.webp with animation.gif as its fallback, keyframes/ and trace.jsonl.");
    auto o = std::make_shared<DemoOptions>();
    line.option("--out", o->out, "where everything goes").showDefault();
    line.option("--scenario", o->scenario, "a scenario to play instead of the built-in one; - reads standard input");
    line.option("--fps", o->fps, "frames a second, at most 50 (as fast as viewers show an animation)").check(aboveAtMost(0, 50)).showDefault();
    line.option("--scale", o->scale, "pixels a point of the animation (key frames use the device's scale)").check(aboveAtMost(0, 4)).showDefault();
    line.flag("--frames", o->frames, "also write every frame as a numbered PNG (frame-00001.png ...)");
    return [o](const ToolContext& tool) { return demo(*o, tool); };
}

} // namespace zovo
