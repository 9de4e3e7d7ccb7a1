// The first banner of a fresh program: a new OS process per sample launches the home screen with
// the component loaded, then times one request from the system to the component's banner filled
// and laid out (no drawing), and the launch before it. Nothing is warm but what launch warmed, as
// after a respring. Run many phones in one process instead (bench_road) and the first banner
// looks cheap, because the font machinery loaded for the first phone serves every later one.
//
//   bench_first_banner                          # a table of the medians over 15 samples
//   bench_first_banner --samples=31 --benchmark_format=json
//
// The JSON has the shape of Google Benchmark's, so that `make bench` reads it with the others:
// BM_FirstBanner (request to laid out) and BM_Launch, each the median of the samples, in
// microseconds of wall time (real_time) and of the sample process's CPU time (cpu_time).
#include "foundation/Process.h"
#include "foundation/RunLoop.h"
#include "objc/Message.h"
#include "springboard/Host.h"
#include "springboard/SpringBoard.h"
#include "tweak/Tweak.h"
#include "uikit/UIImage.h"

#include "BenchIcon.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

struct Times {
    double wall = 0, cpu = 0; // microseconds
};

struct Clock {
    std::chrono::steady_clock::time_point wall = std::chrono::steady_clock::now();
    double cpu = processCpu();

    static double processCpu()
    {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_nsec) / 1e3;
    }
    Times since(const Clock& start) const
    {
        return {std::chrono::duration<double, std::micro>(wall - start.wall).count(), cpu - start.cpu};
    }
};

// One sample, in this process: prints "launch-wall launch-cpu banner-wall banner-cpu".
int sample()
{
    zovo::Process process;
    std::filesystem::copy_file(ZOVO_SHIPPED_DEFAULTS_FILE, process.hostPath(zovorudovu::kDefaultsPath), std::filesystem::copy_options::overwrite_existing);
    zovo::SpringBoardHost host(process, {.model = "iPhone13,2", .libraries = {zovorudovu::library()}});
    const Clock beforeLaunch;
    host.launch();
    const Times launch = Clock().since(beforeLaunch);
    const objc::StrongRef<UIImage> appIcon = zovo::bench::gradientIcon();
    process.mainRunLoop().advance(1);

    const Clock beforeRequest;
    host.postRequest({.id = "r1", .app = "Messages", .title = "Anna", .message = "Lunch at one? The usual place, by the river.", .icon = appIcon});
    // Long enough for the presentation, the slide-in and the content update.
    process.mainRunLoop().advance(0.4);
    const Times banner = Clock().since(beforeRequest);
    if (!objc::send<objc::StrongId>(host.springBoard(), "brimlight")) {
        std::fprintf(stderr, "bench_first_banner: the component showed no banner\n");
        return 1;
    }
    std::printf("%.1f %.1f %.1f %.1f\n", launch.wall, launch.cpu, banner.wall, banner.cpu);
    return 0;
}

// Runs one sample in a new process of this program and reads its figures.
bool spawnSample(Times& launch, Times& banner)
{
    int out[2];
    if (pipe(out) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    char self[] = "/proc/self/exe";
    char flag[] = "--sample";
    char* argv[] = {self, flag, nullptr};
    pid_t child = 0;
    const int spawned = posix_spawn(&child, "/proc/self/exe", &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        close(out[0]);
        return false;
    }
    std::string text;
    char buffer[256];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<std::size_t>(n));
    close(out[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return false;
    return std::sscanf(text.c_str(), "%lf %lf %lf %lf", &launch.wall, &launch.cpu, &banner.wall, &banner.cpu) == 4;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

} // namespace

int main(int argc, char** argv)
{
    bool json = false;
    int samples = 15;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--sample") return sample();
        if (arg == "--benchmark_format=json") json = true;
        else if (arg.rfind("--samples=", 0) == 0) samples = std::max(1, std::atoi(arg.c_str() + 10));
        else if (arg.rfind("--benchmark_", 0) != 0) {
            std::fprintf(stderr, "bench_first_banner: unknown option %s (try --samples=N, --benchmark_format=json)\n", arg.c_str());
            return 2;
        }
    }
    std::vector<double> launchWall, launchCpu, bannerWall, bannerCpu;
    for (int i = 0; i < samples; ++i) {
        Times launch, banner;
        if (!spawnSample(launch, banner)) {
            std::fprintf(stderr, "bench_first_banner: sample %d failed\n", i + 1);
            return 1;
        }
        launchWall.push_back(launch.wall);
        launchCpu.push_back(launch.cpu);
        bannerWall.push_back(banner.wall);
        bannerCpu.push_back(banner.cpu);
        if (!json) std::fprintf(stderr, "\rsample %d/%d", i + 1, samples);
    }
    if (json) {
        std::printf("{\n  \"context\": {\"samples\": %d},\n  \"benchmarks\": [\n", samples);
        std::printf("    {\"name\": \"BM_FirstBanner\", \"run_type\": \"iteration\", \"iterations\": %d, \"real_time\": %.1f, \"cpu_time\": %.1f, \"time_unit\": \"us\"},\n",
                    samples, median(bannerWall), median(bannerCpu));
        std::printf("    {\"name\": \"BM_Launch\", \"run_type\": \"iteration\", \"iterations\": %d, \"real_time\": %.1f, \"cpu_time\": %.1f, \"time_unit\": \"us\"}\n",
                    samples, median(launchWall), median(launchCpu));
        std::printf("  ]\n}\n");
    } else {
        std::fprintf(stderr, "\n");
        std::printf("%-16s %12s %12s   (median of %d fresh processes)\n", "", "wall us", "cpu us", samples);
        std::printf("%-16s %12.0f %12.0f\n", "BM_FirstBanner", median(bannerWall), median(bannerCpu));
        std::printf("%-16s %12.0f %12.0f\n", "BM_Launch", median(launchWall), median(launchCpu));
    }
    return 0;
}
