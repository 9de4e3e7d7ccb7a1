// zovorudovu check SCENARIO... --refs DIR [--record missing|all|failed|never] [--threshold T]
// [--max-diff-pixels N] [--report DIR] [--junit FILE] [-j N] [--shard I/N]: plays each scenario and
// compares the screen at each of its snapshot events with DIR/<scenario>/<label>.png.
//
// With -j above 1 scenarios are checked by worker processes (forked before any simulated process
// exists in this one), so scenarios side by side share nothing: every simulated process, its
// renderer and its text caches are the worker's. A worker is handed one scenario at a time and
// hands each result back as a JSON document on a pipe.

#include "cli/CheckReport.h"
#include "cli/Command.h"
#include "cli/Options.h"
#include "cli/Progress.h"
#include "foundation/Json.h"

#include "sim/ReferenceCheck.h"
#include "uikit/DeviceProfile.h"

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <ostream>

namespace zovo {
namespace {

namespace fs = std::filesystem;

struct CheckOptions {
    std::vector<std::string> scenarios;
    std::string refs;
    std::optional<std::string> record;
    double threshold = 0;
    std::size_t maxDiffPixels = 0;
    std::optional<std::string> report, junit, shard, device;
    int jobs = 1;
};

// "I/N" with 1 <= I <= N.
std::optional<std::pair<std::size_t, std::size_t>> parseShard(const std::string& text)
{
    const std::size_t slash = text.find('/');
    if (slash == std::string::npos) return std::nullopt;
    auto whole = [](const std::string& digits) -> std::optional<std::size_t> {
        if (digits.empty() || digits.size() > 6 || digits.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
        return static_cast<std::size_t>(std::stoul(digits));
    };
    const auto i = whole(text.substr(0, slash)), n = whole(text.substr(slash + 1));
    if (!i || !n || *i < 1 || *i > *n) return std::nullopt;
    return std::pair{*i, *n};
}

// Scenario files in the order given; a folder stands for its .json files in name order.
std::vector<fs::path> expandScenarios(const std::vector<std::string>& given)
{
    std::vector<fs::path> files;
    for (const std::string& g : given) {
        std::error_code ec;
        if (!fs::is_directory(g, ec)) {
            files.emplace_back(g);
            continue;
        }
        std::vector<fs::path> inside;
        for (const fs::directory_entry& e : fs::directory_iterator(g, ec))
            if (e.path().extension() == ".json") inside.push_back(e.path());
        std::sort(inside.begin(), inside.end());
        files.insert(files.end(), inside.begin(), inside.end());
    }
    return files;
}

// Makes the folder and proves that a file can be written in it.
ErrorOr<void> writableFolder(const fs::path& dir, const char* what)
{
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec || !fs::is_directory(dir)) return Error{"cannot make the " + std::string(what) + " folder " + dir.string() + (ec ? ": " + ec.message() : ": a file is in the way")};
    const fs::path probe = dir / (".zovorudovu-write-test-" + std::to_string(::getpid()));
    std::ofstream(probe) << "";
    const bool ok = fs::exists(probe, ec);
    fs::remove(probe, ec);
    if (!ok) return Error{"cannot write into the " + std::string(what) + " folder " + dir.string()};
    return {};
}

bool writeAll(int fd, const std::string& bytes)
{
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool readAll(int fd, void* data, std::size_t size)
{
    auto* bytes = static_cast<char*>(data);
    for (std::size_t done = 0; done < size;) {
        const ssize_t n = ::read(fd, bytes + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// A worker: reads the index of a scenario to check, writes back the result's length and JSON, and
// again, until its order pipe closes. One worker checks many scenarios, so what a process sets up
// once (fonts, text shaping) is set up once a worker rather than once a scenario.
[[noreturn]] void workerLoop(int orders, int results, const std::vector<fs::path>& files, const CheckSettings& settings)
{
    std::uint32_t index = 0;
    while (readAll(orders, &index, sizeof index) && index < files.size()) {
        const std::string json = toJson(checkScenario(files[index], settings)).dump();
        const auto length = static_cast<std::uint32_t>(json.size());
        if (!writeAll(results, std::string(reinterpret_cast<const char*>(&length), sizeof length) + json)) break;
    }
    // The worker leaves without running this program's exit handlers: they belong to the parent.
    ::_exit(0);
}

// Checks the scenarios on `jobs` worker processes, each given the next scenario as it finishes
// one; results come back in list order. A worker that dies fails the scenario it had.
std::vector<ScenarioCheck> checkInWorkers(const std::vector<fs::path>& files, const CheckSettings& settings, int jobs,
                                          const std::function<void(const ScenarioCheck&)>& done)
{
    struct Worker {
        pid_t pid;
        int orders, results;
        std::size_t current;
        std::string received;
    };
    std::vector<ScenarioCheck> results(files.size());
    std::vector<bool> finished(files.size(), false);
    std::vector<Worker> workers;
    std::size_t next = 0;
    // A worker is a fork: what is still buffered would be written twice.
    std::fflush(nullptr);
    auto give = [&](Worker& w) {
        if (next >= files.size()) return false;
        const auto index = static_cast<std::uint32_t>(next);
        if (!writeAll(w.orders, std::string(reinterpret_cast<const char*>(&index), sizeof index))) return false;
        w.current = next++;
        return true;
    };
    auto retire = [&](Worker& w) {
        if (w.orders >= 0) ::close(w.orders);
        ::close(w.results);
        int status = 0;
        ::waitpid(w.pid, &status, 0);
        if (w.current < files.size() && !finished[w.current]) {
            ScenarioCheck& r = results[w.current];
            r.name = scenarioName(files[w.current]);
            r.file = files[w.current];
            r.error = files[w.current].string() + ": the check stopped " +
                      (WIFSIGNALED(status) ? "on signal " + std::to_string(WTERMSIG(status)) : "with status " + std::to_string(WEXITSTATUS(status)));
            finished[w.current] = true;
            done(r);
        }
    };
    for (int j = 0; j < jobs && static_cast<std::size_t>(j) < files.size(); ++j) {
        int orders[2], back[2];
        if (::pipe(orders) != 0) break;
        if (::pipe(back) != 0) {
            ::close(orders[0]), ::close(orders[1]);
            break;
        }
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(orders[1]);
            ::close(back[0]);
            // Pipes of the workers made before this one are theirs, not this one's.
            for (const Worker& w : workers) {
                if (w.orders >= 0) ::close(w.orders);
                ::close(w.results);
            }
            workerLoop(orders[0], back[1], files, settings);
        }
        ::close(orders[0]);
        ::close(back[1]);
        if (pid < 0) {
            ::close(orders[1]), ::close(back[0]);
            break;
        }
        workers.push_back({pid, orders[1], back[0], files.size(), {}});
        if (!give(workers.back())) workers.back().current = files.size();
    }

    while (!workers.empty()) {
        std::vector<pollfd> polls;
        for (const Worker& w : workers) polls.push_back({w.results, POLLIN, 0});
        if (::poll(polls.data(), polls.size(), -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        for (std::size_t k = polls.size(); k-- > 0;) {
            if (!(polls[k].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            Worker& w = workers[k];
            char buffer[65536];
            const ssize_t n = ::read(w.results, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                retire(w);
                workers.erase(workers.begin() + static_cast<std::ptrdiff_t>(k));
                continue;
            }
            w.received.append(buffer, static_cast<std::size_t>(n));
            std::uint32_t length = 0;
            if (w.received.size() < sizeof length) continue;
            std::memcpy(&length, w.received.data(), sizeof length);
            if (w.received.size() < sizeof length + length) continue;
            const nlohmann::json parsed = nlohmann::json::parse(w.received.substr(sizeof length, length), nullptr, false);
            w.received.erase(0, sizeof length + length);
            if (parsed.is_object() && w.current < files.size()) {
                results[w.current] = scenarioCheckFromJson(parsed);
                finished[w.current] = true;
                done(results[w.current]);
            }
            if (!give(w)) {
                // Nothing left for it: closing its orders ends it, and its results pipe then closes.
                w.current = files.size();
                ::close(w.orders);
                w.orders = -1;
            }
        }
    }
    // Whatever no worker could take is checked here.
    for (std::size_t i = 0; i < files.size(); ++i)
        if (!finished[i]) done(results[i] = checkScenario(files[i], settings));
    return results;
}

ExitStatus check(const CheckOptions& o, const ToolContext& tool)
{
    CheckSettings settings;
    settings.refs = o.refs;
    settings.threshold = o.threshold;
    settings.maxDiffPixels = o.maxDiffPixels;
    if (o.record) settings.record = *recordModeNamed(*o.record);
    else if (const char* ci = std::getenv("CI"); ci && *ci) settings.record = RecordMode::Never;
    if (o.report) settings.report = *o.report;
    if (o.device) settings.device = *o.device;

    std::vector<fs::path> files = expandScenarios(o.scenarios);
    if (files.empty()) return tool.fail(ExitStatus::InputUnusable, "the folders given hold no scenario (.json) files");
    std::map<std::string, fs::path> names;
    for (const fs::path& f : files) {
        const auto [it, fresh] = names.emplace(scenarioName(f), f);
        if (!fresh) return tool.fail(ExitStatus::BadCommandLine, f.string() + " and " + it->second.string() + " share the name \"" + it->first +
                                                                      "\", so they would share a reference folder");
    }
    if (o.shard) {
        const auto [i, n] = *parseShard(*o.shard);
        // Contiguous slices of near-equal length, the same on every machine for the same list.
        const std::size_t begin = files.size() * (i - 1) / n, end = files.size() * i / n;
        files = std::vector<fs::path>(files.begin() + static_cast<std::ptrdiff_t>(begin), files.begin() + static_cast<std::ptrdiff_t>(end));
    }

    // Where results go must be writable before anything runs, so a long check is not lost at the end.
    if (settings.record != RecordMode::Never)
        if (ErrorOr<void> ok = writableFolder(settings.refs, "references"); !ok) return tool.fail(ExitStatus::InputUnusable, ok.error());
    if (o.report)
        if (ErrorOr<void> ok = writableFolder(*o.report, "report"); !ok) return tool.fail(ExitStatus::InputUnusable, ok.error());
    if (o.junit) {
        const fs::path junit = *o.junit;
        if (ErrorOr<void> ok = writableFolder(junit.has_parent_path() ? junit.parent_path() : fs::path("."), "JUnit"); !ok)
            return tool.fail(ExitStatus::InputUnusable, ok.error());
    }

    ProgressLine progress(tool);
    std::size_t finished = 0, failing = 0;
    auto done = [&](const ScenarioCheck& c) {
        ++finished;
        failing += c.ok() ? 0 : 1;
        progress.update(std::to_string(finished) + "/" + std::to_string(files.size()) + " scenarios (" + c.name + "), " + std::to_string(failing) + " not passing");
    };
    std::vector<ScenarioCheck> checks;
    if (o.jobs > 1 && files.size() > 1) {
        checks = checkInWorkers(files, settings, o.jobs, done);
    } else {
        for (const fs::path& f : files) {
            checks.push_back(checkScenario(f, settings));
            done(checks.back());
        }
    }
    progress.finish();

    const CheckTotals totals = countChecks(checks);
    ExitStatus status = totals.failed + totals.recorded == 0 ? ExitStatus::Done : ExitStatus::InputUnusable;
    for (const ScenarioCheck& c : checks) {
        for (const std::string& w : c.warnings) tool.err() << "zovorudovu check: warning: " << c.name << ": " << w << '\n';
        if (!c.error.empty()) tool.err() << "zovorudovu check: " << c.error << '\n';
        for (const SnapshotCheck& s : c.snapshots)
            if (!s.ok()) tool.err() << "zovorudovu check: " << statusName(s.status) << ": " << c.name << "/" << s.label << ": " << s.message << '\n';
    }
    if (o.report) {
        const fs::path index = fs::path(*o.report) / "index.html";
        if (ErrorOr<void> w = writeWholeFile(index.string(), checkReportHTML(checks, totals)); !w) status = tool.fail(ExitStatus::InputUnusable, w.error());
    }
    if (o.junit)
        if (ErrorOr<void> w = writeWholeFile(*o.junit, checkJUnitXML(checks, totals)); !w) status = tool.fail(ExitStatus::InputUnusable, w.error());

    tool.err() << "zovorudovu check: " << totals.checked << " checked, " << totals.passed << " passed, " << totals.failed << " failed, "
              << totals.recorded << " recorded" << (o.report ? " (report: " + (fs::path(*o.report) / "index.html").string() + ")" : std::string()) << '\n';
    Json summary{{"checked", totals.checked}, {"passed", totals.passed}, {"failed", totals.failed}, {"recorded", totals.recorded}};
    Json scenarios = Json::array();
    for (const ScenarioCheck& c : checks) scenarios.push_back(toJson(c));
    summary["scenarios"] = std::move(scenarios);
    tool.printJson(summary);
    return status;
}

} // namespace

CommandRun defineCheck(CommandLine& line)
{
    line.footer("Play each scenario and compare the screen at each of its snapshot events with DIR/<scenario>/<label>.png. "
                "Exit status 0 when every snapshot matches, 1 when one differs, is missing or was recorded.");
    auto o = std::make_shared<CheckOptions>();
    line.option("SCENARIO", o->scenarios, "scenario files, or folders of them").required().check(utf8Text());
    line.option("--refs", o->refs, "the folder of reference images").required().check(utf8Text());
    line.option("--record", o->record, "which references to write: missing (the default; never when CI is set), all, failed or never")
        .check(oneOf({"missing", "all", "failed", "never"}));
    line.option("--threshold", o->threshold, "the colour distance, 0 to 1, beyond which a pixel counts as different (default 0)")
        .check(numberRange(0.0, 1.0));
    line.option("--max-diff-pixels", o->maxDiffPixels, "how many differing pixels still pass (default 0)");
    line.option("--report", o->report, "write DIR/index.html with the pictures of every snapshot that did not pass").check(utf8Text());
    line.option("--junit", o->junit, "write JUnit XML for CI, one test case per snapshot").check(utf8Text());
    line.option("--device", o->device, "play every scenario on this phone instead of its own, a model from `zovorudovu devices`")
        .check(OptionCheck([](const std::string& v) {
            return findDeviceProfile(v) ? std::string() : "unknown device \"" + v + "\" (see `zovorudovu devices`)";
        }));
    line.option("-j,--jobs", o->jobs, "check this many scenarios at once (default 1)").check(wholeNumberRange(1, 64));
    line.option("--shard", o->shard, "check only the I-th of N equal slices of the scenario list, as I/N").check(OptionCheck([](const std::string& v) {
        return parseShard(v) ? std::string() : std::string("expected I/N with 1 <= I <= N");
    }));
    return [o](const ToolContext& tool) { return check(*o, tool); };
}

} // namespace zovo
