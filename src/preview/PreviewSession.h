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
// a respring would; the recording then starts a new file, since a scenario plays one launch.
#pragma once

#include "foundation/ErrorOr.h"
#include "foundation/Json.h"
#include "foundation/Trace.h"
#include "preview/PreviewOverlay.h"
#include "render/Frame.h"
#include "render/ScreenChrome.h"
#include "sim/Scenario.h"
#include "uikit/CGGeometry.h"

#include <chrono>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zovo {

class Process;
class SpringBoardHost;
class PreviewSettings;
struct PreviewVideoRecording;

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
    StepFrame,        // .: one frame (1/60 s) while time is paused
    ToggleTouches,    // F: the finger's dot and the gesture's name
    ToggleVideo,      // V: start or stop recording the screen as an animated WebP
    ToggleOutlines,   // O: every view's frame outlined on the phone
    TogglePanel,      // Tab: the side panel, in a window that has one
    ZoomIn,           // Ctrl+=
    ZoomOut,          // Ctrl+-
    Quit,             // Q, Esc
};

// A key as the window reports it: a lower-case letter, '[', ']', '=', '-', '.', kTab or kEscape.
inline constexpr char kTab = 9;
inline constexpr char kEscape = 27;
std::optional<PreviewAction> actionForKey(char key, bool shift, bool ctrl);

// Every key with what it does, in the order the help overlay and the manual list them.
std::span<const PreviewKeyHelp> previewKeys();

// The moving picture V records: frames a second of phone time, and pixels a point.
inline constexpr double kVideoFps = 30;
inline constexpr double kVideoScale = 2;

// How long a note stays in the window, in wall seconds.
inline constexpr double kNoteSeconds = 3;

// The time scales `[` and `]` step through.
inline constexpr double kTimeScales[] = {0.1, 0.25, 0.5, 1.0};

// The window's scale on a display: the asked-for one when the window fits, else the largest that
// does (in steps of 0.05) with a note saying so. Unasked, the largest of 2, 1.5 and 1 that fits, or
// the largest that fits when even 1 does not. `extraWidth` is window pixels beside the phone that
// do not scale. The window never comes out larger than `display`, except on a display too small
// for a scale of kMinimumScale.
struct WindowFit {
    double scale = 1;
    std::string note; // empty when the asked-for scale was kept
};
inline constexpr double kMinimumScale = 0.25;
WindowFit fitWindow(CGSize points, CGSize display, std::optional<double> asked, double extraWidth = 0);
// The scales Ctrl+= and Ctrl+- step through.
inline constexpr double kZoomSteps[] = {0.5, 0.75, 1, 1.25, 1.5, 1.75, 2, 2.5, 3, 4};

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
    // Where each launch's recording is written as it ends (a relaunch, a device switch, or
    // finishRecording()): the first launch to this file, the later ones numbered beside it
    // (tried.json, tried-2.json, tried-3.json ...). Empty: recordings are kept only in memory.
    std::filesystem::path recordFile;
    // What is behind the windows, in the window, screenshots and recordings.
    Wallpaper wallpaper;
    // Screenshots show the touch indicator too, while it is on.
    bool touchesInScreenshots = false;
    // The path of each screenshot written; unset: printed on standard output.
    std::function<void(const std::filesystem::path&)> onScreenshot;
};

// The system banner's dismiss timer as it stands.
struct DismissTimerState {
    enum class State { NoBanner, Running, Stopped } state = State::NoBanner; // Stopped: a banner waits without one
    double remaining = 0;                                                    // seconds, when running
};

// What a file dropped on the window became.
enum class DroppedFile {
    Icon,         // a PNG: the composer's icon
    Settings,     // a settings property list: the settings file from now on
    Scenario,     // a scenario: its events play from now
    Notification, // one notification, as a scenario's notify holds it: posted now
    Refused,      // of no kind the preview knows, or it does not parse: nothing changed, a note says why
};

// One view under a point, as the inspector shows it. Frames are in points: `frame` in its
// superview, `onScreen` on the screen.
struct InspectedView {
    std::string className;
    CGRect frame{}, onScreen{};
    bool isWindow = false;
    std::string window; // the window's class
    double windowLevel = 0;
    std::string background; // "RRGGBB:alpha", or "none"
    bool hidden = false;
    double alpha = 1;
};

// A post of an internal notification, at its phone time.
struct PreviewPost {
    double at = 0;
    std::string name;
};

class PreviewSession {
public:
    // Checks the options and launches the phone. An error naming the device or the file when the
    // device is unknown, the scale is not a positive number or the settings file cannot be read
    // as a settings property list.
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
    // The pixels the window may take up and those beside the phone: from here on a zoom, a
    // rotation or a device switch keeps the window within them.
    void setDisplay(CGSize pixels, double extraWidth = 0);
    // The phone's screen in points, as it stands (rotated or not).
    CGSize screenPoints() const;
    // A message for the person at the window, shown as a note in it and passed to onMessage.
    void note(const std::string& text);
    double timeScale() const { return kTimeScales[timeScaleIndex_]; }
    bool paused() const { return paused_; }
    bool helpShown() const { return showHelp_; }
    bool infoShown() const { return showInfo_; }
    const std::string& device() const { return options_.device; }
    ScenarioOrientation orientation() const { return options_.orientation; }
    // The name of the internal notification posted last, or empty.
    const std::string& lastPost() const { return lastPost_; }

    // ---- What the side panel offers: each is a call a test makes as the panel does ------------

    // Posts `notification` now exactly as a scenario's notify event does, and records it as one
    // (an empty id is given one). An icon PNG that cannot be decoded posts nothing: the error,
    // and a note, name the file.
    ErrorOr<void> post(ScenarioNotify notification);
    // The settings in force, and a change to them made as the toggle keys make theirs: the
    // settings file rewritten in its own format and the Darwin notification posted. Refused with
    // a note while the file does not parse, since that would throw away the edit under way.
    const Json& settings() const;
    ErrorOr<void> changeSettings(Json settings);
    // What `zovorudovu prefs` warns about the settings in force, one sentence each.
    const std::vector<std::string>& settingsWarnings() const { return warnings_; }
    // Why the settings file does not parse now (naming its line where the parser knows it), or empty.
    std::string settingsProblem() const;
    DismissTimerState dismissTimer() const;
    // The last internal notifications posted, oldest first (at most kRecentPosts).
    static constexpr std::size_t kRecentPosts = 12;
    const std::deque<PreviewPost>& recentPosts() const { return recentPosts_; }
    // A file dropped on the window, judged by its contents rather than its name.
    DroppedFile dropFile(const std::filesystem::path& file);
    bool panelShown() const { return showPanel_; }
    // The views under window pixel (x, y), from the frontmost window that holds the point down to
    // the deepest view: the window first, so its bounds and its content's are told apart.
    std::vector<InspectedView> viewsAt(double x, double y) const;
    bool outlinesShown() const { return showOutlines_; }
    const Wallpaper& wallpaper() const { return options_.wallpaper; }
    void setWallpaper(Wallpaper wallpaper);
    bool touchesShown() const { return showTouches_; }
    // The name of the last touch as a gesture ("tap", "hold", "pan", "cancelled") while it is
    // shown, else empty.
    const std::string& gestureLabel() const { return gestureLabel_; }
    bool recordingVideo() const { return video_ != nullptr; }

    // What the person did since the phone last launched, as a scenario that ends now.
    Scenario recording() const;
    // Writes recording() as JSON; an error names the file and the problem.
    ErrorOr<void> writeRecording(const std::filesystem::path& file) const;
    // Writes the running launch's recording to its numbered file (see recordFile), as a quit does;
    // the file written, or the problem. Nothing is written without a recordFile.
    ErrorOr<std::filesystem::path> finishRecording();
    // The file the recording of launch `launch` (1 for the first) goes to.
    static std::filesystem::path recordingFile(const std::filesystem::path& base, int launch);
    // Launches so far, 1 for the first.
    int launchNumber() const { return launchNumber_; }

    // The running phone, for tests and tools that look inside it.
    Process& process() { return *process_; }
    SpringBoardHost& host() { return *host_; }

private:
    explicit PreviewSession(PreviewOptions options);
    // Starts a fresh phone with the current options; an error names the settings file that could
    // not be read or carried over.
    ErrorOr<void> launch();
    // `reason` names it in the trace: "respring" or "device".
    void relaunch(const char* reason);
    // Moves the phone's clock up to the wall clock.
    void catchUp();
    bool anyAnimation() const;
    void recordEvent(ScenarioEvent event);
    void postSample(bool sticky);
    void toggleSetting(const char* key, bool fallback);
    void settingsChanged(const Json& settings);
    void stepFrame();
    void play(const Scenario& scenario);
    void playEvent(const ScenarioEvent& event);
    void refreshWarnings();
    void traced(const TraceEvent& e);
    void watchSettings();
    void rotate();
    void switchDevice(int step);
    void screenshot();
    void touch(ScenarioTouch::Phase phase, double x, double y);
    void message(const std::string& text) { note(text); }
    bool drawOverlays(); // whether it drew any
    void trackFinger(ScenarioTouch::Phase phase, CGPoint p);
    std::filesystem::path nextFreeFile(const char* extension) const;
    void startVideo();
    void stopVideo();
    void filmUntil(double phoneTime);
    void zoom(int direction);
    void keepOnDisplay();

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
    std::optional<CGSize> display_;
    double extraWidth_ = 0;
    std::size_t timeScaleIndex_ = 3;
    bool paused_ = false;
    bool showHelp_ = false;
    bool showInfo_ = false;
    bool quit_ = false;
    bool launchedBefore_ = false;
    int launchNumber_ = 0;
    bool dirty_ = true;
    bool wasAnimating_ = false;
    std::string lastPost_;
    std::deque<PreviewPost> recentPosts_;
    std::vector<std::string> warnings_;
    std::optional<double> timerStartedAt_; // phone seconds
    bool showPanel_ = true;
    bool playing_ = false; // inside a dropped scenario's event, on the run loop: the clock is not moved
    bool showTouches_ = false;
    bool showOutlines_ = false;
    std::unique_ptr<PreviewVideoRecording> video_;
    std::optional<CGPoint> finger_;      // points, while down
    CGPoint touchStart_{}, gestureAt_{}; // points
    double touchStartTime_ = 0;          // phone seconds
    double touchTravel_ = 0;             // the farthest the finger got from where it went down
    std::string gestureLabel_;
    double gestureUntil_ = 0;            // wall seconds
    std::string noteText_;
    double noteUntil_ = 0; // wall seconds
    std::chrono::duration<double, std::milli> lastFrameTime_{};
};

} // namespace zovo
