// The session's calls behind the side panel: compose, settings, and what the timeline shows. The
// panel itself only draws these and calls them.
#include "preview/PreviewSession.h"

#include "foundation/Json.h"

#include "foundation/Process.h"
#include "foundation/RunLoop.h"
#include "preview/PreviewSettings.h"
#include "sim/SettingsFile.h"
#include "sim/SettingsReport.h"
#include "springboard/Host.h"
#include "springboard/SBNotificationBannerDestination.h"

#include "foundation/PropertyList.h"
#include "uikit/CGImage.h"
#include "uikit/UIColor.h"
#include "uikit/UIScreen.h"
#include "uikit/UIWindow.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>


namespace fs = std::filesystem;

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

namespace {

InspectedView inspect(const UIView* view, const UIWindow* window, bool isWindow)
{
    InspectedView v;
    v.className = view->className();
    v.frame = view->frame();
    v.onScreen = isWindow ? view->frame() : view->frameInWindow();
    if (!isWindow) {
        v.onScreen.origin.x += window->frame().origin.x;
        v.onScreen.origin.y += window->frame().origin.y;
    }
    v.isWindow = isWindow;
    v.window = window->className();
    v.windowLevel = window->windowLevel();
    v.hidden = view->isHidden();
    v.alpha = view->alpha();
    if (const UIColor* c = view->backgroundColor()) {
        char text[32];
        auto byte = [](double x) { return static_cast<unsigned>(std::lround(std::clamp(x, 0.0, 1.0) * 255)); };
        std::snprintf(text, sizeof text, "%02X%02X%02X:%.2f", byte(c->red()), byte(c->green()), byte(c->blue()), c->alpha());
        v.background = text;
    } else {
        v.background = "none";
    }
    return v;
}

} // namespace

std::vector<InspectedView> PreviewSession::viewsAt(double x, double y) const
{
    const CGPoint p = CGPointMake(x / options_.scale, y / options_.scale);
    std::vector<UIWindow*> windows = UIScreen::mainScreen()->visibleWindows();
    std::reverse(windows.begin(), windows.end()); // the frontmost first
    for (const UIWindow* window : windows) {
        if (window->isHidden() || !CGRectContainsPoint(window->frame(), p)) continue;
        std::vector<InspectedView> chain{inspect(window, window, true)};
        const UIView* here = window;
        for (bool deeper = true; deeper;) {
            deeper = false;
            const auto& subs = here->subviews();
            for (auto it = subs.rbegin(); it != subs.rend(); ++it) {
                const UIView* sub = it->get();
                CGRect r = sub->frameInWindow();
                r.origin.x += window->frame().origin.x;
                r.origin.y += window->frame().origin.y;
                if (sub->isHidden() || !CGRectContainsPoint(r, p)) continue;
                chain.push_back(inspect(sub, window, false));
                here = sub;
                deeper = true;
                break;
            }
        }
        return chain;
    }
    return {};
}

void PreviewSession::setWallpaper(Wallpaper wallpaper)
{
    options_.wallpaper = std::move(wallpaper);
    dirty_ = true;
}

DroppedFile PreviewSession::dropFile(const fs::path& file)
{
    if (quit_) return DroppedFile::Refused;
    auto refuse = [&](const std::string& why) {
        // Errors from the parsers name the file already.
        note((why.find(file.string()) == std::string::npos ? file.filename().string() + ": " : std::string()) + why + "; nothing changed");
        return DroppedFile::Refused;
    };
    std::ifstream in(file, std::ios::binary);
    if (!in) return refuse("cannot be read");
    char head[8] = {};
    in.read(head, sizeof head);
    const std::string magic(head, static_cast<std::size_t>(in.gcount()));
    std::string text;
    if (magic.starts_with("\x89PNG")) {
        if (auto png = loadPNG(file); !png) return refuse(png.error());
        note("icon " + file.filename().string() + " for the composer");
        return DroppedFile::Icon;
    }
    in.seekg(0);
    text.assign(std::istreambuf_iterator<char>(in), {});
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (magic.starts_with("bplist") || (first != std::string::npos && text[first] == '<')) {
        if (settings_->broken() && settings_->file() == file) return refuse("does not parse");
        auto dropped = std::make_unique<PreviewSettings>(fs::absolute(file));
        if (auto loaded = dropped->load(); !loaded) return refuse(loaded.error());
        settings_ = std::move(dropped);
        catchUp();
        settingsChanged(settings_->current());
        dirty_ = true;
        note("settings from " + file.filename().string() + ", watched and edited from now on");
        return DroppedFile::Settings;
    }
    if (first == std::string::npos || text[first] != '{') return refuse("neither a PNG, a settings property list nor JSON");
    const Json json = Json::parse(text, nullptr, false);
    if (json.is_discarded() || !json.is_object()) return refuse("not valid JSON");
    const bool scenario = json.contains("events");
    // A lone notification is read as the one event of a scenario, so that it means what it would there.
    Json lone = json;
    if (!scenario && !lone.contains("id")) lone["id"] = "dropped-" + std::to_string(++posted_);
    const std::string wrapped = scenario ? text : Json{{"device", options_.device}, {"events", Json::array({Json{{"at", 0}, {"notify", lone}}})}}.dump();
    ErrorOr<Scenario> parsed = parseScenario(wrapped, file.parent_path(), file.string());
    if (!parsed) return refuse(parsed.error());
    play(*parsed);
    note((scenario ? "playing " : "posting ") + file.filename().string());
    return scenario ? DroppedFile::Scenario : DroppedFile::Notification;
}

void PreviewSession::play(const Scenario& scenario)
{
    catchUp();
    RunLoop& loop = process_->mainRunLoop();
    int skipped = 0;
    for (const ScenarioEvent& event : scenario.events) {
        const bool playable = event.kind == ScenarioEvent::Kind::Notify || event.kind == ScenarioEvent::Kind::Settings ||
                              event.kind == ScenarioEvent::Kind::Rotate || event.kind == ScenarioEvent::Kind::Touches;
        if (!playable) {
            ++skipped;
            continue;
        }
        loop.schedule(event.at, [this, event] { playEvent(event); });
    }
    if (skipped) note(std::to_string(skipped) + " events of kinds the preview does not play (tap, drag, hold, closeLongLook, snapshot) left out");
    dirty_ = true;
}

void PreviewSession::playEvent(const ScenarioEvent& event)
{
    // On the run loop, at the event's time: what happens is recorded as if done by hand.
    playing_ = true;
    switch (event.kind) {
    case ScenarioEvent::Kind::Notify: (void)post(event.notify); break;
    case ScenarioEvent::Kind::Settings: (void)changeSettings(event.settings); break;
    case ScenarioEvent::Kind::Rotate:
        if (event.rotate != options_.orientation) rotate();
        break;
    case ScenarioEvent::Kind::Touches: {
        RunLoop& loop = process_->mainRunLoop();
        for (const ScenarioTouch& t : event.touches) {
            loop.schedule(t.t, [this, t] {
                playing_ = true;
                touch(t.phase, t.x * options_.scale, t.y * options_.scale);
                playing_ = false;
            });
        }
        break;
    }
    default: break;
    }
    playing_ = false;
}

} // namespace zovo
