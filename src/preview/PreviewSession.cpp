#include "preview/PreviewSession.h"

#include "foundation/Json.h"
#include "foundation/Process.h"
#include "foundation/PropertyList.h"
#include "foundation/RunLoop.h"
#include "preview/PreviewOverlay.h"
#include "preview/PreviewSamples.h"
#include "preview/PreviewSettings.h"
#include "preview/PreviewVideoRecording.h"
#include "render/ScreenRenderer.h"
#include "sim/AppIcons.h"
#include "sim/ScenarioRunner.h"
#include "sim/SettingsFile.h"
#include "sim/SimulatedPhone.h"
#include "springboard/Host.h"
#include "tweak/Tweak.h"
#include "uikit/DeviceProfile.h"
#include "uikit/TouchInput.h"
#include "uikit/UILongPressGestureRecognizer.h"
#include "uikit/UIImage.h"
#include "uikit/UIScreen.h"
#include "uikit/UIWindow.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <utility>

namespace fs = std::filesystem;

namespace zovo {
namespace {

constexpr PreviewKeyHelp kKeys[] = {
    {"N", "post the next sample notification, then the hard texts"},
    {"Shift+N", "post a sticky one"},
    {"mouse", "the finger: tap, hold, pull down, push up"},
    {"R", "rotate"},
    {"A", "toggle adaptiveColours"},
    {"G", "toggle showGrabber"},
    {"T", "toggle showTimestamp"},
    {"W", "toggle customWidth"},
    {"E", "toggle isEnabled (shows after Ctrl+R)"},
    {"Ctrl+R", "relaunch, as a respring"},
    {"D / Shift+D", "next / previous device"},
    {"S", "save the screen as preview-NNNN.png"},
    {"P", "pause or resume time"},
    {"[ / ]", "slower / faster: 0.1x 0.25x 0.5x 1x"},
    {".", "one frame on, while paused"},
    {"F", "show or hide the finger and its gesture"},
    {"V", "start / stop recording preview-NNNN.webp"},
    {"O", "outline every view (windows in magenta)"},
    {"Tab", "show or hide the side panel"},
    {"Ctrl+= / Ctrl+-", "zoom the window in / out"},
    {"I", "show or hide the info line"},
    {"H", "show or hide this help"},
    {"Q, Esc", "quit"},
};

std::string formatNumber(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

double steadySeconds() { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); }

UIScreen::Orientation toScreen(ScenarioOrientation o)
{
    return o == ScenarioOrientation::Landscape ? UIScreen::Orientation::Landscape : UIScreen::Orientation::Portrait;
}

bool animating(const UIView* view)
{
    if (view->isAnimating()) return true;
    return std::any_of(view->subviews().begin(), view->subviews().end(), [](const objc::StrongRef<UIView>& v) { return animating(v.get()); });
}

// How the component reads a flag: a number's truth, else the fallback it uses for a missing key.
bool flagValue(const Json& settings, const char* key, bool fallback)
{
    if (!settings.contains(key)) return fallback;
    const Json& v = settings[key];
    if (v.is_boolean()) return v.get<bool>();
    if (v.is_number()) return v.get<double>() != 0;
    return fallback;
}

} // namespace

std::optional<PreviewAction> actionForKey(char key, bool shift, bool ctrl)
{
    if (ctrl) {
        switch (key) {
        case 'r': return PreviewAction::Relaunch;
        case '=': return PreviewAction::ZoomIn;
        case '-': return PreviewAction::ZoomOut;
        default: return std::nullopt;
        }
    }
    switch (key) {
    case 'n': return shift ? PreviewAction::PostStickySample : PreviewAction::PostSample;
    case 'd': return shift ? PreviewAction::PreviousDevice : PreviewAction::NextDevice;
    case 'r': return PreviewAction::Rotate;
    case 'a': return PreviewAction::ToggleAdaptiveColours;
    case 'g': return PreviewAction::ToggleShowGrabber;
    case 't': return PreviewAction::ToggleShowTimestamp;
    case 'w': return PreviewAction::ToggleCustomWidth;
    case 'e': return PreviewAction::ToggleEnabled;
    case 's': return PreviewAction::Screenshot;
    case 'h': return PreviewAction::ToggleHelp;
    case 'i': return PreviewAction::ToggleInfo;
    case 'p': return PreviewAction::TogglePause;
    case '[': return PreviewAction::Slower;
    case ']': return PreviewAction::Faster;
    case '.': return PreviewAction::StepFrame;
    case 'f': return PreviewAction::ToggleTouches;
    case 'v': return PreviewAction::ToggleVideo;
    case 'o': return PreviewAction::ToggleOutlines;
    case kTab: return PreviewAction::TogglePanel;
    case 'q':
    case kEscape: return PreviewAction::Quit;
    default: return std::nullopt;
    }
}

std::span<const PreviewKeyHelp> previewKeys() { return kKeys; }

WindowFit fitWindow(CGSize points, CGSize display, std::optional<double> asked, double extraWidth)
{
    const double widest = std::min((display.width - extraWidth) / points.width, display.height / points.height);
    // Steps of 0.05 keep the window's size a round figure; below the smallest the phone is unusable.
    const double largest = std::max(kMinimumScale, std::floor(widest * 20 + 1e-9) / 20);
    char size[64];
    std::snprintf(size, sizeof size, "%g x %g", display.width, display.height);
    if (asked) {
        if (*asked <= widest) return {*asked, {}};
        char note[200];
        std::snprintf(note, sizeof note, "--scale %g does not fit the display's %s pixels; using %g", *asked, size, largest);
        return {largest, note};
    }
    for (double scale : {2.0, 1.5, 1.0}) {
        if (scale <= widest) return {scale, {}};
    }
    char note[200];
    std::snprintf(note, sizeof note, "the phone fits the display's %s pixels only at scale %g", size, largest);
    return {largest, note};
}

ErrorOr<std::unique_ptr<PreviewSession>> PreviewSession::start(PreviewOptions options)
{
    if (!findDeviceProfile(options.device)) return Error{"unknown device \"" + options.device + "\" (see `zovorudovu devices`)"};
    if (!std::isfinite(options.scale) || options.scale <= 0) return Error{"the scale must be a positive number"};
    if (!options.wallClock) options.wallClock = steadySeconds;
    std::unique_ptr<PreviewSession> session(new PreviewSession(std::move(options)));
    TRY(session->launch());
    return session;
}

PreviewSession::PreviewSession(PreviewOptions options)
    : options_(std::move(options)), settings_(std::make_unique<PreviewSettings>(options_.settingsFile))
{
}

PreviewSession::~PreviewSession()
{
    if (video_) stopVideo();
    // The host belongs to the process, and the trace's listener points back here.
    if (process_) trace().setListener({});
    host_.reset();
    process_.reset();
}

ErrorOr<void> PreviewSession::launch()
{
    const bool first = !launchedBefore_;
    host_.reset();
    process_.reset(); // a process must end before the next one begins
    process_ = std::make_unique<Process>();
    recentPosts_.clear();
    timerStartedAt_.reset();
    trace().setListener([this](const TraceEvent& e) { traced(e); });

    const fs::path phoneSettings = process_->hostPath(zovorudovu::kSettingsPath);
    if (settings_->hasFile() && first) {
        TRY(settings_->load());
    }
    // A fresh process has a fresh file system: the settings in force are carried over into it.
    // The very first launch without a file of the user's starts as a new install does.
    if (settings_->hasFile() || !first) {
        TRY(writeSettingsFile(phoneSettings, settings_->current()));
    }

    PhoneOptions phone;
    phone.model = options_.device;
    phone.orientation = toScreen(options_.orientation);
    host_ = startPhone(*process_, phone, ComponentStart::Load);
    if (!settings_->hasFile() && first) {
        if (ErrorOr<PropertyList> read = readPropertyList(phoneSettings)) settings_->setCurrent(settingsToJson(read->dictionary.get()));
    }
    launchedBefore_ = true;
    ++launchNumber_;

    recording_ = Scenario{};
    recording_.device = options_.device;
    recording_.orientation = options_.orientation;
    recording_.settings = settings_->current();
    refreshWarnings();
    recording_.bannerDuration = host_->options().bannerDuration;
    openTouches_.reset();
    lastWall_ = options_.wallClock();
    virtualTarget_ = 0;
    wasAnimating_ = false;
    dirty_ = true;
    return {};
}

void PreviewSession::relaunch(const char* reason)
{
    // What was done in the launch that ends is kept before its process goes.
    if (video_) stopVideo();
    std::string kept;
    if (ErrorOr<fs::path> written = finishRecording(); !written) message(written.error());
    else if (!written->empty()) kept = written->string();
    // Recorded before the old process ends, so that the new launch's own records all follow it.
    trace().record("preview", {{"event", "relaunch"}, {"reason", reason}, {"launch", launchNumber_ + 1}, {"device", options_.device}, {"recorded", kept}});
    if (auto launched = launch(); !launched) {
        message(launched.error());
        quit_ = true;
        return;
    }
    if (!kept.empty()) note("launch " + std::to_string(launchNumber_ - 1) + " recorded in " + kept);
}

void PreviewSession::catchUp()
{
    if (playing_) return;
    const double wall = options_.wallClock();
    const double step = paused_ ? 0.0 : std::max(0.0, wall - lastWall_) * timeScale();
    lastWall_ = wall;
    RunLoop& loop = process_->mainRunLoop();
    const std::uint64_t before = loop.itemsRun();
    // The target is kept apart from the loop's whole nanoseconds so that rounding each small step
    // does not add up over a long session.
    virtualTarget_ += step;
    if (video_) filmUntil(virtualTarget_);
    if (const double behind = virtualTarget_ - loop.now(); behind > 0) loop.advance(behind);
    else loop.runUntilIdle();
    if (loop.itemsRun() != before) dirty_ = true;
}

bool PreviewSession::anyAnimation() const
{
    const std::vector<UIWindow*> windows = UIScreen::mainScreen()->visibleWindows();
    return std::any_of(windows.begin(), windows.end(), [](const UIWindow* w) { return animating(w); });
}

bool PreviewSession::update()
{
    if (!host_) return false;
    catchUp();
    watchSettings();
    if (!noteText_.empty() && options_.wallClock() >= noteUntil_) {
        noteText_.clear();
        dirty_ = true;
    }
    if (!gestureLabel_.empty() && options_.wallClock() >= gestureUntil_) {
        gestureLabel_.clear();
        dirty_ = showTouches_ || dirty_;
    }
    // The last picture of a slide shows it nearly done; one more is drawn once it has ended.
    // Paused, nothing moves however far a slide had got.
    const bool moving = isMoving();
    if (moving || wasAnimating_) dirty_ = true;
    wasAnimating_ = moving;
    return dirty_;
}

bool PreviewSession::isMoving() const { return !paused_ && anyAnimation(); }

std::optional<double> PreviewSession::secondsUntilNextEvent() const
{
    std::optional<double> wait;
    if (!noteText_.empty()) wait = std::max(0.0, noteUntil_ - options_.wallClock());
    if (!gestureLabel_.empty() && showTouches_) wait = std::min(wait.value_or(INFINITY), std::max(0.0, gestureUntil_ - options_.wallClock()));
    if (paused_) return wait;
    const RunLoop& loop = process_->mainRunLoop();
    const std::optional<double> next = loop.nextFireTime();
    if (!next || std::isinf(*next)) return wait;
    const double timer = std::max(0.0, (*next - loop.now()) / timeScale());
    return wait ? std::min(*wait, timer) : timer;
}

const Frame& PreviewSession::picture()
{
    if (dirty_ || picture_.empty()) {
        const auto start = std::chrono::steady_clock::now();
        RenderOptions render;
        render.scale = options_.scale;
        render.wallpaper = options_.wallpaper;
        changed_ = unionOf(changed_, renderScreen(picture_, render));
        // The overlays are drawn over the picture: the renderer sees that and draws the next
        // picture in full, and the window takes this one whole.
        if (drawOverlays()) changed_ = PixelRect{0, 0, picture_.width(), picture_.height()};
        lastFrameTime_ = std::chrono::steady_clock::now() - start;
        dirty_ = false;
    }
    return picture_;
}

PixelRect PreviewSession::takeChangedPixels() { return std::exchange(changed_, PixelRect{}); }

bool PreviewSession::drawOverlays()
{
    const bool any = showInfo_ || paused_ || showHelp_ || showOutlines_ || showTouches_ || !noteText_.empty();
    if (showInfo_) {
        char line[160];
        std::snprintf(line, sizeof line, "frame %.1f ms  ·  %gx%s  ·  %s", lastFrameTime_.count(), timeScale(), paused_ ? " paused" : "",
                      lastPost_.empty() ? "no post yet" : lastPost_.c_str());
        drawInfoLine(picture_, line);
    } else if (paused_) {
        drawInfoLine(picture_, "paused");
    }
    if (showOutlines_) drawOutlines(picture_, UIScreen::mainScreen()->visibleWindows());
    if (showTouches_) drawTouch(picture_, finger_, gestureLabel_, gestureAt_);
    if (!noteText_.empty()) drawNote(picture_, noteText_);
    if (showHelp_) drawHelp(picture_, previewKeys());
    return any;
}

void PreviewSession::setScale(double scale)
{
    if (!std::isfinite(scale) || scale <= 0) throw std::invalid_argument("PreviewSession: the scale must be a positive number");
    options_.scale = scale;
    dirty_ = true;
}

std::string PreviewSession::windowTitle() const
{
    const DeviceProfile* profile = findDeviceProfile(options_.device);
    return "zovorudovu preview \u2014 " + std::string(profile->name) + " (" + std::string(profile->model) + ")";
}

void PreviewSession::touch(ScenarioTouch::Phase phase, double x, double y)
{
    if (quit_) return;
    catchUp();
    const CGPoint p = CGPointMake(x / options_.scale, y / options_.scale);
    bool delivered = false;
    switch (phase) {
    case ScenarioTouch::Phase::Down: delivered = touchDown(p); break;
    case ScenarioTouch::Phase::Move: delivered = touchMove(p); break;
    case ScenarioTouch::Phase::Up: delivered = touchUp(p); break;
    case ScenarioTouch::Phase::Cancel: delivered = touchCancel(); break;
    }
    if (!delivered) return;
    dirty_ = true;
    trackFinger(phase, p);
    const double now = process_->mainRunLoop().now();
    if (phase == ScenarioTouch::Phase::Down) {
        ScenarioEvent event{};
        event.kind = ScenarioEvent::Kind::Touches;
        event.at = now;
        event.touches.push_back({phase, p.x, p.y, 0});
        recording_.events.push_back(std::move(event));
        openTouches_ = recording_.events.size() - 1;
        return;
    }
    if (!openTouches_) return;
    ScenarioEvent& event = recording_.events[*openTouches_];
    ScenarioTouch t{phase, phase == ScenarioTouch::Phase::Cancel ? 0 : p.x, phase == ScenarioTouch::Phase::Cancel ? 0 : p.y, now - event.at};
    event.touches.push_back(t);
    if (phase != ScenarioTouch::Phase::Move) openTouches_.reset();
}

void PreviewSession::trackFinger(ScenarioTouch::Phase phase, CGPoint p)
{
    const double now = process_->mainRunLoop().now();
    switch (phase) {
    case ScenarioTouch::Phase::Down:
        finger_ = touchStart_ = p;
        touchStartTime_ = now;
        touchTravel_ = 0;
        return;
    case ScenarioTouch::Phase::Move:
        finger_ = p;
        touchTravel_ = std::max(touchTravel_, std::hypot(p.x - touchStart_.x, p.y - touchStart_.y));
        return;
    case ScenarioTouch::Phase::Up:
    case ScenarioTouch::Phase::Cancel:
        // Named by the thresholds the recognisers use: past the long press's allowable movement
        // a pan, held past its minimum duration a hold, else a tap.
        if (phase == ScenarioTouch::Phase::Cancel) gestureLabel_ = "cancelled";
        else if (touchTravel_ > UILongPressGestureRecognizer::kDefaultAllowableMovement) gestureLabel_ = "pan";
        else if (now - touchStartTime_ >= UILongPressGestureRecognizer::kDefaultMinimumPressDuration) gestureLabel_ = "hold";
        else gestureLabel_ = "tap";
        gestureAt_ = finger_.value_or(touchStart_);
        finger_.reset();
        gestureUntil_ = options_.wallClock() + 1.0;
        return;
    }
}

void PreviewSession::mouseDown(double x, double y) { touch(ScenarioTouch::Phase::Down, x, y); }

void PreviewSession::mouseMove(double x, double y)
{
    if (!TouchInput::current().isTouching()) return;
    const CGRect screen = UIScreen::mainScreen()->bounds();
    const double px = x / options_.scale, py = y / options_.scale;
    if (px < 0 || py < 0 || px >= screen.size.width || py >= screen.size.height) return mouseLeft();
    touch(ScenarioTouch::Phase::Move, x, y);
}

void PreviewSession::mouseUp(double x, double y)
{
    if (TouchInput::current().isTouching()) touch(ScenarioTouch::Phase::Up, x, y);
}

void PreviewSession::mouseLeft()
{
    if (TouchInput::current().isTouching()) touch(ScenarioTouch::Phase::Cancel, 0, 0);
}

bool PreviewSession::key(char key, bool shift, bool ctrl)
{
    const std::optional<PreviewAction> action = actionForKey(key, shift, ctrl);
    if (action) perform(*action);
    return action.has_value();
}

void PreviewSession::perform(PreviewAction action)
{
    // Events already queued behind a quit (or a relaunch that failed, leaving no phone) do nothing.
    if (quit_) return;
    // Time up to the key press passes at the old rate; what the key does happens now.
    catchUp();
    dirty_ = true;
    switch (action) {
    case PreviewAction::PostSample: postSample(false); break;
    case PreviewAction::PostStickySample: postSample(true); break;
    case PreviewAction::Rotate: rotate(); break;
    case PreviewAction::ToggleAdaptiveColours: toggleSetting("adaptiveColours", false); break;
    case PreviewAction::ToggleShowGrabber: toggleSetting("showGrabber", true); break;
    case PreviewAction::ToggleShowTimestamp: toggleSetting("showTimestamp", true); break;
    case PreviewAction::ToggleCustomWidth: toggleSetting("customWidth", false); break;
    case PreviewAction::ToggleEnabled: toggleSetting("isEnabled", true); break;
    case PreviewAction::Relaunch: relaunch("respring"); break;
    case PreviewAction::NextDevice: switchDevice(1); break;
    case PreviewAction::PreviousDevice: switchDevice(-1); break;
    case PreviewAction::Screenshot: screenshot(); break;
    case PreviewAction::ToggleHelp: showHelp_ = !showHelp_; break;
    case PreviewAction::ToggleInfo: showInfo_ = !showInfo_; break;
    case PreviewAction::TogglePause: paused_ = !paused_; break;
    case PreviewAction::Slower:
    case PreviewAction::Faster:
        if (action == PreviewAction::Slower && timeScaleIndex_ > 0) --timeScaleIndex_;
        if (action == PreviewAction::Faster && timeScaleIndex_ + 1 < std::size(kTimeScales)) ++timeScaleIndex_;
        note("time at " + formatNumber(timeScale()) + "x");
        break;
    case PreviewAction::StepFrame: stepFrame(); break;
    case PreviewAction::ToggleTouches: showTouches_ = !showTouches_; break;
    case PreviewAction::ToggleVideo: video_ ? stopVideo() : startVideo(); break;
    case PreviewAction::ToggleOutlines: showOutlines_ = !showOutlines_; break;
    case PreviewAction::TogglePanel: showPanel_ = !showPanel_; break;
    case PreviewAction::ZoomIn: zoom(1); break;
    case PreviewAction::ZoomOut: zoom(-1); break;
    case PreviewAction::Quit: quit_ = true; break;
    }
}

void PreviewSession::setDisplay(CGSize pixels, double extraWidth)
{
    display_ = pixels;
    extraWidth_ = extraWidth;
}

CGSize PreviewSession::screenPoints() const { return UIScreen::mainScreen()->bounds().size; }

void PreviewSession::zoom(int direction)
{
    const double now = options_.scale;
    std::optional<double> next;
    for (double step : kZoomSteps) {
        if (direction > 0 && step > now + 1e-9) {
            next = step;
            break;
        }
        if (direction < 0 && step < now - 1e-9) next = step;
    }
    if (!next) return note(direction > 0 ? "the largest zoom already" : "the smallest zoom already");
    if (display_ && direction > 0 && fitWindow(screenPoints(), *display_, *next, extraWidth_).scale != *next)
        return note("a larger window would not fit the display");
    setScale(*next);
    char text[48];
    std::snprintf(text, sizeof text, "zoom %g", *next);
    note(text);
}

void PreviewSession::keepOnDisplay()
{
    if (!display_) return;
    const WindowFit fit = fitWindow(screenPoints(), *display_, options_.scale, extraWidth_);
    if (fit.scale == options_.scale) return;
    setScale(fit.scale);
    char text[64];
    std::snprintf(text, sizeof text, "scale %g, so that the window fits the display", fit.scale);
    note(text);
}

void PreviewSession::recordEvent(ScenarioEvent event)
{
    event.at = process_->mainRunLoop().now();
    recording_.events.push_back(std::move(event));
}

void PreviewSession::postSample(bool sticky)
{
    const std::span<const NotificationSample> samples = notificationSamples();
    const NotificationSample& sample = samples[nextSample_++ % samples.size()];
    ScenarioNotify n;
    n.app = sample.app;
    n.title = sample.title;
    n.message = sample.message;
    n.builtInIcon = sample.icon;
    n.sticky = sticky;
    (void)post(std::move(n));
}

ErrorOr<void> PreviewSession::post(ScenarioNotify n)
{
    if (quit_) return Error{"the phone is not running"};
    catchUp();
    // The icon is decoded first: a PNG that cannot be read posts nothing.
    ErrorOr<objc::StrongRef<UIImage>> icon = notificationIcon(n);
    if (!icon) {
        note("icon " + n.iconFile.string() + ": " + icon.error() + "; nothing posted");
        return Error{icon.error()};
    }
    if (n.id.empty()) n.id = "preview-" + std::to_string(++posted_);
    host_->postRequest({n.id, n.app, n.title, n.subtitle, n.message, *icon, n.date, n.sticky});
    ScenarioEvent event{};
    event.kind = ScenarioEvent::Kind::Notify;
    event.notify = std::move(n);
    recordEvent(std::move(event));
    dirty_ = true;
    return {};
}

void PreviewSession::toggleSetting(const char* key, bool fallback)
{
    Json settings = settings_->current();
    settings[key] = !flagValue(settings, key, fallback);
    if (!changeSettings(settings)) return;
    const char* state = settings[key].get<bool>() ? "on" : "off";
    if (std::string(key) == "isEnabled") message(std::string("isEnabled is now ") + state + "; Ctrl+R relaunches to show it");
    else note(std::string(key) + " " + state);
}

void PreviewSession::settingsChanged(const Json& settings)
{
    // As the settings pane does: the phone's file is rewritten and the Darwin notification posted.
    if (auto written = host_->changeSettings(propertyListFromJson(settings).get()); !written) return message(written.error());
    ScenarioEvent event{};
    event.kind = ScenarioEvent::Kind::Settings;
    event.settings = settings;
    recordEvent(std::move(event));
    refreshWarnings();
    trace().record("preview", {{"event", "settings"}, {"settings", TraceValue::raw(settings.dump())}});
}

void PreviewSession::watchSettings()
{
    ErrorOr<std::optional<Json>> polled = settings_->poll();
    if (!polled) return message(polled.error());
    if (*polled) {
        settingsChanged(**polled);
        dirty_ = true;
    }
}

void PreviewSession::rotate()
{
    options_.orientation = options_.orientation == ScenarioOrientation::Portrait ? ScenarioOrientation::Landscape : ScenarioOrientation::Portrait;
    host_->rotate(toScreen(options_.orientation));
    keepOnDisplay();
    ScenarioEvent event{};
    event.kind = ScenarioEvent::Kind::Rotate;
    event.rotate = options_.orientation;
    recordEvent(std::move(event));
    trace().record("preview", {{"event", "rotate"}, {"orientation", options_.orientation == ScenarioOrientation::Landscape ? "landscape" : "portrait"}});
}

void PreviewSession::switchDevice(int step)
{
    const std::span<const DeviceProfile> profiles = deviceProfiles();
    const auto here = std::find_if(profiles.begin(), profiles.end(), [&](const DeviceProfile& p) { return p.model == options_.device; });
    const auto count = static_cast<std::ptrdiff_t>(profiles.size());
    const std::ptrdiff_t index = ((here - profiles.begin()) + step + count) % count;
    options_.device = std::string(profiles[static_cast<std::size_t>(index)].model);
    relaunch("device");
    if (!quit_) keepOnDisplay();
}

void PreviewSession::screenshot()
{
    const fs::path file = nextFreeFile(".png");
    // At the device's own scale and without the overlays: the phone's screen as it would look.
    Frame shot = renderScreen(RenderOptions{.wallpaper = options_.wallpaper});
    if (options_.touchesInScreenshots && showTouches_) drawTouch(shot, finger_, gestureLabel_, gestureAt_);
    if (auto written = writeFramePNG(shot, file); !written) return message(written.error());
    if (options_.onScreenshot) options_.onScreenshot(file);
    else std::cout << file.string() << '\n' << std::flush;
}

void PreviewSession::note(const std::string& text)
{
    if (options_.onMessage) options_.onMessage(text);
    else std::cerr << "zovorudovu preview: " << text << '\n';
    noteText_ = text;
    noteUntil_ = options_.wallClock() + kNoteSeconds;
    dirty_ = true;
}

Scenario PreviewSession::recording() const
{
    Scenario out = recording_;
    out.until = process_->mainRunLoop().now();
    return out;
}

ErrorOr<void> PreviewSession::writeRecording(const fs::path& file) const
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << toJsonText(scenarioToJson(recording()), JsonStyle::Pretty) << '\n';
    out.close();
    if (!out) return Error{"cannot write the recording " + file.string()};
    return {};
}

} // namespace zovo

namespace zovo {

fs::path PreviewSession::recordingFile(const fs::path& base, int launch)
{
    if (launch <= 1) return base;
    fs::path numbered = base;
    numbered.replace_filename(base.stem().string() + "-" + std::to_string(launch) + base.extension().string());
    return numbered;
}

ErrorOr<fs::path> PreviewSession::finishRecording()
{
    if (options_.recordFile.empty() || !process_) return fs::path();
    const fs::path file = recordingFile(options_.recordFile, launchNumber_);
    TRY(writeRecording(file));
    return file;
}

} // namespace zovo
