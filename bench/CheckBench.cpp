// Checking is mostly rendering: a scenario of 100 snapshots on an iPhone 13 Pro, checked against
// references it matches, beside the same scenario with each snapshot only drawn. The goal is the
// ratio of the two (scripts/bench_table.py).
#include "render/ScreenRenderer.h"
#include "sim/ReferenceCheck.h"
#include "sim/Scenario.h"
#include "sim/ScenarioRunner.h"

#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// 50 banners two seconds apart, each drawn mid-slide and at rest: 100 snapshots. Made once, with
// its references recorded, in a folder of this process's own.
const fs::path& suite()
{
    static const fs::path dir = [] {
        const fs::path d = fs::temp_directory_path() / ("zovo-bench-check-" + std::to_string(::getpid()));
        fs::remove_all(d);
        fs::create_directories(d);
        nlohmann::json events = nlohmann::json::array();
        for (int i = 0; i < 50; ++i) {
            const double at = 0.2 + 2.0 * i;
            events.push_back({{"at", at}, {"notify", {{"id", "n" + std::to_string(i)}, {"app", "Mail"}, {"title", "Invoice " + std::to_string(2000 + i)},
                                                      {"message", "Your invoice is ready to download."}, {"icon", "mail"}, {"date", "now"}}}});
            events.push_back({{"at", at + 0.15}, {"snapshot", "slide-" + std::to_string(i)}});
            events.push_back({{"at", at + 0.8}, {"snapshot", "rest-" + std::to_string(i)}});
        }
        std::ofstream(d / "hundred.json") << nlohmann::json{{"device", "iPhone14,2"}, {"bannerDuration", 1.5}, {"until", 100.5}, {"events", events}}.dump();
        zovo::checkScenario(d / "hundred.json", {.refs = d / "refs", .record = zovo::RecordMode::Missing});
        std::atexit([] { fs::remove_all(fs::temp_directory_path() / ("zovo-bench-check-" + std::to_string(::getpid()))); });
        return d;
    }();
    return dir;
}

void BM_HundredSnapshotsRenderedOnly(benchmark::State& state)
{
    const zovo::Scenario scenario = zovo::loadScenario(suite() / "hundred.json").value();
    zovo::Frame frame;
    int drawn = 0;
    for (auto _ : state) {
        zovo::RunnerOptions options;
        options.onSnapshot = [&](zovo::Process&, const std::string&) {
            zovo::renderScreen(frame, {});
            benchmark::DoNotOptimize(frame.data());
            ++drawn;
        };
        zovo::ScenarioRunner runner(scenario, options);
        if (!runner.run()) state.SkipWithError("the scenario did not run");
    }
    if (drawn != 100 * static_cast<int>(state.iterations())) state.SkipWithError("not 100 snapshots a run");
}
BENCHMARK(BM_HundredSnapshotsRenderedOnly)->Unit(benchmark::kMillisecond);

void BM_HundredSnapshotsChecked(benchmark::State& state)
{
    const zovo::CheckSettings settings{.refs = suite() / "refs", .record = zovo::RecordMode::Never};
    for (auto _ : state) {
        const zovo::ScenarioCheck checked = zovo::checkScenario(suite() / "hundred.json", settings);
        if (!checked.ok() || checked.snapshots.size() != 100) state.SkipWithError("the check did not pass 100 snapshots");
    }
}
BENCHMARK(BM_HundredSnapshotsChecked)->Unit(benchmark::kMillisecond);

} // namespace
