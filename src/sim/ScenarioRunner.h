// Plays a scenario in a fresh simulated process on the virtual clock: the phone launches with the
// component loaded, each event happens at its time, and the trace records what happened.
//
//   ScenarioRunner runner(scenario, {.onEvent = [&](const TraceEvent& e) { out << e.toJson() << '\n'; }});
//   ErrorOr<void> ran = runner.run();     // an error names the event that stopped the run
#pragma once

#include "foundation/ErrorOr.h"
#include "foundation/Trace.h"
#include "uikit/UIImage.h"
#include "sim/Scenario.h"
#include "uikit/CGGeometry.h"

#include <functional>
#include <optional>
#include <string>

class UIWindow;

namespace zovo {

class Process;
class SpringBoardHost;

// The component's banner window, when one is on screen.
UIWindow* componentBanner(SpringBoardHost& host);
// Where the user's finger goes for a tap, drag or hold: the middle of the component's banner, or
// of the system's banner when the component shows none (in landscape, say).
std::optional<CGPoint> bannerCentre(SpringBoardHost& host);

// The icon a notify event posts with: its colour, built-in icon or PNG, or null for none. An
// error says why the PNG cannot be decoded.
ErrorOr<objc::StrongRef<UIImage>> notificationIcon(const ScenarioNotify& notify);

struct RunnerOptions {
    // Every trace record, as it is recorded.
    std::function<void(const TraceEvent&)> onEvent;
    // Called at 0, 1/fps, 2/fps ... up to the scenario's end, after the events of that moment.
    std::function<void(Process&, double time)> onFrame;
    double fps = 30;
    // Called at each snapshot event with its label, after the snapshot is recorded.
    std::function<void(Process&, const std::string& label)> onSnapshot;
    // Called with what a person should know about the run that is not an error: the component
    // inactive after launch, so only the system's banner shows.
    std::function<void(const std::string&)> onWarning;
    // Called once the scenario's time is up, before the process ends.
    std::function<void(Process&, SpringBoardHost&)> onFinish;
};

class ScenarioRunner {
public:
    ScenarioRunner(Scenario scenario, RunnerOptions options = {});
    // Runs the whole scenario in a fresh process. An error (an icon that cannot be decoded, a
    // settings file that cannot be written) names the event.
    ErrorOr<void> run();

private:
    void perform(Process& process, SpringBoardHost& host, const ScenarioEvent& event, std::size_t index);
    void snapshot(SpringBoardHost& host, const std::string& label);

    Scenario scenario_;
    RunnerOptions options_;
};

} // namespace zovo
