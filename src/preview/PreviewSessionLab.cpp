// The session's calls behind the side panel: compose, settings, and what the timeline shows. The
// panel itself only draws these and calls them.
#include "preview/PreviewSession.h"

#include "foundation/Process.h"
#include "foundation/RunLoop.h"
#include "preview/PreviewSettings.h"
#include "sim/SettingsFile.h"
#include "sim/SettingsReport.h"
#include "springboard/Host.h"
#include "springboard/SBNotificationBannerDestination.h"

#include <algorithm>

using Json = nlohmann::ordered_json;

namespace zovo {

void PreviewSession::traced(const TraceEvent& e)
{
    if (e.type == "post") {
        lastPost_ = e.text("name");
        recentPosts_.push_back({e.time, lastPost_});
        if (recentPosts_.size() > kRecentPosts) recentPosts_.pop_front();
    }
    if (e.type == "call" && e.text("selector") == "_startDismissTimer") timerStartedAt_ = e.time;
    if (options_.onTrace) options_.onTrace(e);
}

const Json& PreviewSession::settings() const { return settings_->current(); }

ErrorOr<void> PreviewSession::changeSettings(Json settings)
{
    if (quit_) return Error{"the phone is not running"};
    // Writing the last good settings over a file that is being edited would throw the edit away.
    if (settings_->broken()) {
        const std::string problem = settings_->file().string() + " does not parse; fix it before changing the settings here";
        note(problem);
        return Error{problem};
    }
    catchUp();
    if (auto written = settings_->write(settings); !written) {
        note(written.error());
        return written;
    }
    settingsChanged(settings);
    dirty_ = true;
    return {};
}

void PreviewSession::refreshWarnings()
{
    warnings_ = zovo::settingsWarnings(propertyListFromJson(settings_->current()).get());
}

std::string PreviewSession::settingsProblem() const { return settings_->problem(); }

DismissTimerState PreviewSession::dismissTimer() const
{
    const SBNotificationBannerDestination* destination = host_ ? host_->destination() : nullptr;
    if (!destination || destination->phase() != SBNotificationBannerDestination::Phase::Presented) return {};
    if (!destination->isDismissTimerRunning() || !timerStartedAt_) return {DismissTimerState::State::Stopped, 0};
    const double end = *timerStartedAt_ + host_->options().bannerDuration;
    return {DismissTimerState::State::Running, std::max(0.0, end - process_->mainRunLoop().now())};
}

void PreviewSession::stepFrame()
{
    if (!paused_) return note("'.' steps one frame while time is paused (P)");
    // The step is kept on the same target the wall clock moves, so resuming does not jump.
    virtualTarget_ += 1.0 / 60;
    if (video_) filmUntil(virtualTarget_);
    RunLoop& loop = process_->mainRunLoop();
    if (const double behind = virtualTarget_ - loop.now(); behind > 0) loop.advance(behind);
    dirty_ = true;
}

} // namespace zovo
