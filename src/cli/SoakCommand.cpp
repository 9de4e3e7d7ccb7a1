// zovorudovu soak [--notifications N] [--seed S] [--device ID]: the endurance run. Prints its
// summary as JSON and exits 1 when an invariant broke, so a script can gate on it.

#include "cli/Command.h"
#include "cli/Options.h"
#include "cli/Progress.h"

#include "sim/Soak.h"

#include <nlohmann/json.hpp>

#include <memory>
#include <string>

namespace zovo {

CommandRun defineSoak(CommandLine& line)
{
    line.footer("Post N random notifications to one simulated phone while a random user taps, drags, holds, opens long "
               "looks, turns the phone and changes settings; check after every step that at most two banner windows "
               "live, that every presented banner is dismissed, and that nothing piles up; print the counts, the "
               "invariant failures and the peak memory. Exits 1 when an invariant broke. The same seed gives the "
               "same run.");
    auto o = std::make_shared<SoakOptions>();
    line.option("--notifications", o->notifications, "how many notifications to post (default 1000)").check(wholeNumberRange(1, 10'000'000));
    line.option("--seed", o->seed, "the random seed (default 1)");
    line.option("--device", o->device, "the device model (default iPhone13,2; see `zovorudovu devices`)");
    return [o](const ToolContext& tool) {
        ProgressLine progress(tool);
        const std::size_t total = o->notifications;
        const std::size_t every = total >= 100 ? total / 100 : 1;
        SoakOptions options = *o;
        options.progress = [&](std::size_t posted) {
            if (posted % every == 0 || posted == total)
                progress.update(std::to_string(posted) + "/" + std::to_string(total) + " notifications");
        };
        const ErrorOr<SoakSummary> ran = runSoak(options);
        progress.finish();
        if (!ran) return tool.fail(ExitStatus::InputUnusable, ran.error());
        const SoakSummary& summary = ran.value();
        tool.printJson(soakSummaryJson(summary));
        if (summary.invariantFailures == 0) return ExitStatus::Done;
        return tool.fail(ExitStatus::InputUnusable, std::to_string(summary.invariantFailures) + " invariant failures; the first: " +
                                                        (summary.failures.empty() ? std::string("(not kept)") : summary.failures.front()));
    };
}

} // namespace zovo
