// The live preview without its window: a simulated phone whose run loop follows a wall clock, the
// mouse as the finger, keys as actions, the settings file watched, and what the person did kept as
// a scenario that `zovorudovu run` replays.
//
//   auto started = zovo::PreviewSession::start({.device = "iPhone14,2", .scale = 2});
//   if (!started) fail(started.error());             // an unknown device, a bad settings file
//   auto session = std::move(started).value();
//   session->perform(zovo::PreviewAction::PostSample);
//   session->mouseDown(390, 60);                     // window pixels; the point (195, 30)
//   session->mouseUp(390, 60);
//   if (session->update()) show(session->picture()); // false while nothing moves: no redraw
//
// The window (or a test) owns nothing but the pixels: every decision lives here, so a test drives
// a session with a fake wall clock exactly as the window drives it with the real one. Relaunching
// (a new device, or after an enable change) ends the simulated process and starts a fresh one as
// a respring would; the recording then starts again, since a scenario plays one launch.
#pragma once

#include "foundation/ErrorOr.h"
#include "foundation/Trace.h"
#include "render/Frame.h"
#include "sim/Scenario.h"
#include "uikit/CGGeometry.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace zovo {

class Process;
class SpringBoardHost;
class PreviewSettings;

enum class PreviewAction {
    PostSample,       // N: the next built-in sample notification
    PostStickySample, // Shift+N: the same, sticky
    Rotate,           // R
    ToggleAdaptiveColours, ToggleShowGrabber, ToggleShowTimestamp, ToggleCustomWidth, ToggleEnabled, // A G T W E
    Relaunch,         // Ctrl+R: a respring
    NextDevice,       // D
    PreviousDevice,   // Shift+D
    Screenshot,       // S
    ToggleHelp,       // H
    ToggleInfo,       // I
    TogglePause,      // P
    Slower,           // [
    Faster,           // ]
    Quit,             // Q, Esc
};

// A key as the window reports it: a lower-case letter, '[' or ']', or kEscape.
inline constexpr char kEscape = 27;
std::optional<PreviewAction> actionForKey(char key, bool shift, bool ctrl);

// Every key with what it does, in the order the help overlay and the manual list them.
struct PreviewKeyHelp {
    const char* keys;
    const char* what;
};
std::span<const PreviewKeyHelp> previewKeys();

// The time scales `[` and `]` step through.
inline constexpr double kTimeScales[] = {0.1, 0.25, 0.5, 1.0};

// Window pixels per point: the largest of 1, 1.5 and 2 at which a screen of `points` fits in
// `display` pixels, and 1 when none does.
double fittingScale(CGSize points, CGSize display);

struct PreviewOptions {
    std::string device = "iPhone14,2";
    ScenarioOrientation orientation = ScenarioOrientation::Portrait;
    // The settings file itself, edited in place; empty: the phone's own, starting from the
    // package's defaults.
    std::filesystem::path settingsFile;
    double scale = 2;
    std::filesystem::path screenshotDir = ".";
    // Seconds on a monotonic clock; unset: the steady clock. Tests pass a clock they move.
    std::function<double()> wallClock;
    // Every trace record, as it is recorded.
    std::function<void(const TraceEvent&)> onTrace;
    // Messages for the person at the window (a settings file that stopped parsing, a screenshot
    // that could not be written); unset: standard error.
    std::function<void(const std::string&)> onMessage;
    // The path of each screenshot written; unset: printed on standard output.
    std::function<void(const std::filesystem::path&)> onScreenshot;
};

class PreviewSession {
public:
    // Checks the options and launches the phone. Null with `error` set (naming the device or the
    // file) when the device is unknown, the scale is not a positive number or the settings file
    // cannot be read as a settings property list.
    static ErrorOr<std::unique_ptr<PreviewSession>> start(PreviewOptions options);
    ~PreviewSession();
    PreviewSession(const PreviewSession&) = delete;
    PreviewSession& operator=(const PreviewSession&) = delete;

    // Brings the phone's clock up to the wall clock (scaled, unless paused) and notices a changed
    // settings file. True when the picture must be drawn again: something ran, something moves,
    // or input arrived. Idle, it stays false and nothing is drawn.
    bool update();
    // The window's picture: the screen at the window's scale with the overlays, drawn again only
    // when update() said so.
    const Frame& picture();
    // The pixels of the picture that changed since the last call: what the window's copy of the
    // picture needs to catch up (empty when nothing changed).
    PixelRect takeChangedPixels();
    // Whether a slide or fade is under way, so the window should draw every display refresh.
    bool isMoving() const;
    // Wall seconds until the phone's next timer falls due (0 when something is due now), or
    // nothing when none is queued or time is paused: how long the window may sleep.
    std::optional<double> secondsUntilNextEvent() const;

    // The mouse, in window pixels. Down, motion and up are the finger at (x / scale, y / scale);
    // motion outside the screen, or leaving the window, while down cancels the touch.
    void mouseDown(double x, double y);
    void mouseMove(double x, double y);
    void mouseUp(double x, double y);
    void mouseLeft();

    void perform(PreviewAction action);
    // Performs the key's action; false for a key without one.
    bool key(char key, bool shift, bool ctrl);
    bool quitRequested() const { return quit_; }

    // "zovorudovu preview — <device name> (<model>)", with an em dash.
    std::string windowTitle() const;
    double scale() const { return options_.scale; }
    // Throws std::invalid_argument for a scale that is not a positive finite number.
    void setScale(double scale);
    double timeScale() const { return kTimeScales[timeScaleIndex_]; }
    bool paused() const { return paused_; }
    bool helpShown() const { return showHelp_; }
    bool infoShown() const { return showInfo_; }
    const std::string& device() const { return options_.device; }
    ScenarioOrientation orientation() const { return options_.orientation; }
    // The name of the internal notification posted last, or empty.
    const std::string& lastPost() const { return lastPost_; }

    // What the person did since the phone last launched, as a scenario that ends now.
    Scenario recording() const;
    // Writes recording() as JSON; empty on success, else the problem naming the file.
    ErrorOr<void> writeRecording(const std::filesystem::path& file) const;

    // The running phone, for tests and tools that look inside it.
    Process& process() { return *process_; }
    SpringBoardHost& host() { return *host_; }

private:
    explicit PreviewSession(PreviewOptions options);
    // Null on success, else the problem.
    ErrorOr<void> launch();
    void relaunch();
    // Moves the phone's clock up to the wall clock.
    void catchUp();
    bool anyAnimation() const;
    void recordEvent(ScenarioEvent event);
    void postSample(bool sticky);
    void toggleSetting(const char* key, bool fallback);
    void settingsChanged(const nlohmann::ordered_json& settings);
    void watchSettings();
    void rotate();
    void switchDevice(int step);
    void screenshot();
    void touch(ScenarioTouch::Phase phase, double x, double y);
    void message(const std::string& text) const;
    bool drawOverlays(); // whether it drew any

    PreviewOptions options_;
    std::unique_ptr<PreviewSettings> settings_;
    std::unique_ptr<Process> process_;
    std::unique_ptr<SpringBoardHost> host_;
    Frame picture_;
    PixelRect changed_;
    Scenario recording_;
    std::optional<std::size_t> openTouches_; // the recorded touch sequence the finger is in
    std::size_t nextSample_ = 0;
    int posted_ = 0;
    double lastWall_ = 0;
    double virtualTarget_ = 0; // where the phone's clock should be, in seconds
    std::size_t timeScaleIndex_ = 3;
    bool paused_ = false;
    bool showHelp_ = false;
    bool showInfo_ = false;
    bool quit_ = false;
    bool launchedBefore_ = false;
    bool dirty_ = true;
    bool wasAnimating_ = false;
    std::string lastPost_;
    std::chrono::duration<double, std::milli> lastFrameTime_{};
};

} // namespace zovo
