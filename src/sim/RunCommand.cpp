// zovorudovu run SCENARIO [--trace FILE]: plays a scenario in a fresh simulated process on the
// virtual clock and writes the trace as JSON lines.

#include "sim/Command.h"

#include "sim/Options.h"
#include "sim/Scenario.h"
#include "sim/ScenarioRunner.h"

#include <cstdio>
#include <fstream>
#include <iostream>

namespace zovo {
namespace {

constexpr OptionSpec kOptions[] = {{"--trace", "FILE"}};
constexpr const char* kUsage = "usage: zovorudovu run SCENARIO.json [--trace FILE]\n";

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
        file.open(parsed.value("--trace"), std::ios::binary | std::ios::trunc);
        if (!file) {
            std::fprintf(stderr, "zovorudovu run: cannot write the trace file %s\n", parsed.value("--trace").c_str());
            return 1;
        }
        out = &file;
    }

    RunnerOptions options;
    options.onEvent = [out](const TraceEvent& e) { *out << e.toJson() << '\n'; };
    ScenarioRunner runner(std::move(*loaded.scenario), options);
    if (std::string problem = runner.run(); !problem.empty()) {
        std::fprintf(stderr, "zovorudovu run: %s: %s\n", parsed.positional.front().c_str(), problem.c_str());
        return 2;
    }
    out->flush();
    if (!*out) {
        std::fprintf(stderr, "zovorudovu run: writing the trace failed\n");
        return 1;
    }
    return 0;
}

} // namespace zovo
