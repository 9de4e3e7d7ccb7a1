// The road of one notification, from the request the system hands its banner destination to the
// component's banner filled and laid out, with no drawing: the host presents it, the component's
// window slides in, the content is captured and shown. The argument is how many notifications
// come one after another on one phone; the figure that matters is the time per notification
// (the counter "us_per_notification"), which must not grow with their number. Launch is not
// timed.
#include "foundation/Process.h"
#include "foundation/RunLoop.h"
#include "objc/Message.h"
#include "springboard/Host.h"
#include "springboard/SpringBoard.h"
#include "tweak/Tweak.h"
#include "uikit/UIImage.h"

#include "BenchIcon.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace {

void BM_NotificationRoad(benchmark::State& state)
{
    const auto count = state.range(0);
    std::int64_t delivered = 0;
    for (auto _ : state) {
        state.PauseTiming();
        {
            zovo::Process process;
            // The package's defaults file in place, as on a phone with the package installed.
            std::filesystem::copy_file(ZOVO_SHIPPED_DEFAULTS_FILE, process.hostPath(zovorudovu::kDefaultsPath), std::filesystem::copy_options::overwrite_existing);
            zovo::SpringBoardHost host(process, {.model = "iPhone13,2", .libraries = {zovorudovu::library()}});
            host.launch();
            const objc::StrongRef<UIImage> appIcon = zovo::bench::gradientIcon();
            process.mainRunLoop().advance(1);
            state.ResumeTiming();
            for (std::int64_t i = 0; i < count; ++i) {
                host.postRequest({.id = "r" + std::to_string(i),
                                  .app = "Messages",
                                  .title = i % 2 ? "Anna" : "Bob",
                                  .message = i % 3 ? "Lunch at one? The usual place, by the river." : "On my way",
                                  .icon = appIcon});
                // Long enough for the presentation, the slide-in and the content update; a
                // banner never lasts to its own timer, as the next request replaces it.
                process.mainRunLoop().advance(0.4);
                ++delivered;
            }
            state.PauseTiming();
            // The road is only measured when it ends at the component's banner.
            if (!objc::send<objc::StrongId>(host.springBoard(), "brimlight")) state.SkipWithError("the component showed no banner");
        }
        state.ResumeTiming();
    }
    state.counters["us_per_notification"] =
        benchmark::Counter(static_cast<double>(delivered) / 1e6, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_NotificationRoad)->Arg(1)->Arg(10)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

} // namespace
