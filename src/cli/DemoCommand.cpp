// zovorudovu demo [--out DIR] [--scenario FILE] [--fps N] [--scale S]: the main job. Plays the
// built-in scenario (or the one given) and writes, into DIR (default out/demo): the frames and
// animation.gif, key frames at the device's own scale, the trace, and index.html to open.

#include "cli/Command.h"

#include "render/ScreenRenderer.h"
#include "sim/AppIcons.h"
#include "cli/DemoScenario.h"
#include "sim/FrameRecorder.h"
#include "cli/Html.h"
#include "cli/Options.h"
#include "sim/Scenario.h"
#include "sim/ScenarioRunner.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

namespace zovo {
namespace {

constexpr OptionDefinition kOptions[] = {{"--out", "DIR"}, {"--scenario", "FILE"}, {"--fps", "N"}, {"--scale", "S"}};
constexpr const char* kUsage = "usage: zovorudovu demo [--out DIR] [--scenario FILE] [--fps N] [--scale S]\n"
                               "  --out       where everything goes (default out/demo)\n"
                               "  --scenario  a scenario to play instead of the built-in one\n"
                               "  --fps       frames a second (default 30)\n"
                               "  --scale     pixels a point of the frames (default 1; key frames use the device's scale)\n";

int usageError(const std::string& message)
{
    std::fprintf(stderr, "zovorudovu demo: %s\n%s", message.c_str(), kUsage);
    return 2;
}

int failure(const std::string& message)
{
    std::fprintf(stderr, "zovorudovu demo: %s\n", message.c_str());
    return 1;
}

// One line of the page's event list, or empty for records a reader does not need.
std::string describe(const TraceEvent& e)
{
    if (e.type == "host") return "host: " + e.text("event") + " (" + e.text("request") + ")";
    if (e.type == "post") return "posted " + e.text("name");
    if (e.type == "window") return "window " + e.text("event") + ": " + e.text("class") + " at " + e.field("frame") + ", level " + e.field("level");
    if (e.type == "call") return "called -[" + e.text("receiver") + " " + e.text("selector") + "]";
    if (e.type == "touch" && e.text("phase") != "move") return "finger " + e.text("phase") + " at (" + e.field("x") + ", " + e.field("y") + ")";
    if (e.type == "snapshot") return "key frame " + e.text("label");
    if (e.type == "driver") return "note: " + e.text("note");
    return {};
}

std::string page(const std::vector<std::string>& keyframes, const std::vector<std::pair<double, std::string>>& events, const std::string& device)
{
    std::ostringstream html;
    html << "<!doctype html>\n<html lang=\"en\"><head><meta charset=\"utf-8\"><title>Zovorudovu demo</title>\n<style>\n"
         << "body{font-family:Inter,'DejaVu Sans',sans-serif;margin:2rem;background:#f4f4f6;color:#1c1c1e}\n"
         << ".row{display:flex;gap:2rem;align-items:flex-start;flex-wrap:wrap}\n"
         << "img{border-radius:18px;box-shadow:0 4px 18px rgba(0,0,0,.18)}\n"
         << ".keys{display:flex;gap:1rem;flex-wrap:wrap}.keys figure{margin:0}.keys img{width:195px}\n"
         << "figcaption{font-size:.85rem;text-align:center;margin-top:.4rem}\n"
         << "table{border-collapse:collapse;font-size:.85rem}td{padding:.15rem .6rem;border-bottom:1px solid #ddd}\n"
         << "td.t{text-align:right;color:#666;font-variant-numeric:tabular-nums}\n</style></head><body>\n"
         << "<h1>Zovorudovu</h1>\n<p>A notch-style notification banner, running in a simulated home screen on "
         << escapeHTML(device) << ": a message slides in from the notch and times out; a weather alert arrives with adaptive "
         << "colours and is pulled down into the long look; a mail is pushed up and dismissed.</p>\n"
         << "<div class=\"row\"><div><h2>Animation</h2><img src=\"animation.gif\" alt=\"the whole run\"></div>\n<div><h2>Key frames</h2><div class=\"keys\">\n";
    for (const auto& k : keyframes)
        html << "<figure><a href=\"keyframes/" << escapeHTML(k) << ".png\"><img src=\"keyframes/" << escapeHTML(k) << ".png\" alt=\"" << escapeHTML(k)
             << "\"></a><figcaption>" << escapeHTML(k) << "</figcaption></figure>\n";
    html << "</div></div></div>\n<h2>What happened</h2>\n<p>The full record is <a href=\"trace.jsonl\">trace.jsonl</a>.</p>\n<table>\n";
    for (const auto& [time, text] : events) {
        char t[32];
        std::snprintf(t, sizeof t, "%.3f s", time);
        html << "<tr><td class=\"t\">" << t << "</td><td>" << escapeHTML(text) << "</td></tr>\n";
    }
    html << "</table>\n</body></html>\n";
    return html.str();
}

} // namespace

int demoCommand(const Arguments& args)
{
    ParsedOptions parsed = parseOptions(args, kOptions);
    if (!parsed.error.empty()) return usageError(parsed.error);
    if (!parsed.positional.empty()) return usageError("unexpected argument " + parsed.positional.front());
    const fs::path out = parsed.has("--out") ? fs::path(parsed.value("--out")) : fs::path("out/demo");
    double fps = 30, scale = 1;
    if (std::string bad = numberOption(parsed, "--fps", 0, 120, fps); !bad.empty()) return usageError(bad);
    if (std::string bad = numberOption(parsed, "--scale", 0, 4, scale); !bad.empty()) return usageError(bad);

    std::error_code ec;
    fs::create_directories(out / "icons", ec);
    fs::create_directories(out / "keyframes", ec);
    if (ec) return failure("cannot make the output folder " + out.string() + ": " + ec.message());

    ScenarioLoad loaded;
    if (parsed.has("--scenario")) {
        loaded = loadScenario(parsed.value("--scenario"));
    } else {
        // The built-in scenario refers to icons beside it: draw them, then play it from there.
        const std::pair<AppIcon, const char*> icons[] = {{AppIcon::Messages, "messages"}, {AppIcon::Weather, "weather"}, {AppIcon::Mail, "mail"}};
        for (const auto& [icon, name] : icons) {
            if (auto written = writePNG(drawAppIcon(icon).get(), out / "icons" / (std::string(name) + ".png")); !written) return failure(written.message);
        }
        std::ofstream(out / "scenario.json") << kDemoScenario;
        loaded = loadScenario(out / "scenario.json");
    }
    if (!loaded) {
        std::fprintf(stderr, "zovorudovu demo: %s\n", loaded.error.c_str());
        return 2;
    }
    const std::string device = loaded.scenario->device;
    const double until = loaded.scenario->until;

    std::ofstream trace(out / "trace.jsonl", std::ios::binary | std::ios::trunc);
    if (!trace) return failure("cannot write " + (out / "trace.jsonl").string());

    std::vector<std::pair<double, std::string>> events;
    std::vector<std::string> keyframes;
    std::unique_ptr<FrameRecorder> recorder;
    std::string problem;
    RunnerOptions options;
    options.fps = fps;
    options.onEvent = [&](const TraceEvent& e) {
        trace << e.toJson() << '\n';
        if (std::string text = describe(e); !text.empty()) events.emplace_back(e.time, text);
    };
    options.onFrame = [&](Process&, double) {
        if (!problem.empty()) return;
        if (!recorder) {
            FrameRecorder::Options o;
            o.dir = out;
            o.fps = fps;
            o.scale = scale;
            o.expectedFrames = static_cast<int>(until * fps) + 1;
            recorder = std::make_unique<FrameRecorder>(o);
        }
        if (auto captured = recorder->capture(); !captured) problem = captured.message;
    };
    options.onSnapshot = [&](Process&, const std::string& label) {
        if (auto written = writeFramePNG(renderScreen(), out / "keyframes" / (label + ".png")); !written) problem = written.message;
        keyframes.push_back(label);
    };
    options.onFinish = [&](Process&, SpringBoardHost&) {
        if (recorder) {
            if (auto done = recorder->finish(); !done && problem.empty()) problem = done.message;
            recorder.reset();
        }
    };
    std::fprintf(stderr, "zovorudovu demo: playing %s on %s, %.0f frames a second...\n", parsed.has("--scenario") ? parsed.value("--scenario").c_str() : "the built-in scenario",
                 device.c_str(), fps);
    ScenarioRunner runner(std::move(*loaded.scenario), options);
    if (std::string failed = runner.run(); !failed.empty()) return failure(failed);
    if (!problem.empty()) return failure(problem);
    trace.flush();
    if (!trace) return failure("writing " + (out / "trace.jsonl").string() + " failed");

    std::ofstream index(out / "index.html", std::ios::binary | std::ios::trunc);
    index << page(keyframes, events, device);
    if (!index) return failure("cannot write " + (out / "index.html").string());

    Json summary{{"out", out.string()},
                 {"index", (out / "index.html").string()},
                 {"animation", (out / "animation.gif").string()},
                 {"trace", (out / "trace.jsonl").string()},
                 {"keyframes", keyframes}};
    std::cout << summary.dump(2) << '\n';
    std::fprintf(stderr, "zovorudovu demo: done; open %s\n", (out / "index.html").string().c_str());
    return 0;
}

} // namespace zovo
