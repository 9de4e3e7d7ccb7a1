#include "preview/PreviewSession.h"

#include "foundation/Json.h"
#include "foundation/Process.h"
#include "foundation/PropertyList.h"
#include "foundation/RunLoop.h"
#include "preview/PreviewOverlay.h"
#include "preview/PreviewSettings.h"
#include "render/ScreenRenderer.h"
#include "sim/AppIcons.h"
#include "sim/SettingsFile.h"
#include "sim/SimulatedPhone.h"
#include "springboard/Host.h"
#include "tweak/Tweak.h"
#include "uikit/DeviceProfile.h"
#include "uikit/TouchInput.h"
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
using Json = nlohmann::ordered_json;

namespace zovo {
namespace {

// The samples N posts in turn: different apps, icons and lengths, and one without an icon, so a
// designer sees each case the banner must handle.
struct Sample {
    const char* app;
    const char* title;
    const char* message;
    std::optional<AppIcon> icon;
};
constexpr Sample kSamples[] = {
    {"Messages", "Anna", "Lunch at one?", AppIcon::Messages},
    {"Weather", "Rain soon", "Light rain starting in about 15 minutes.", AppIcon::Weather},
    {"Mail", "Jonas Berg",
     "Re: banner designs. I looked at all three over the weekend and the second reads best on the smaller phones; "
     "can we go through it tomorrow morning before the review?",
     AppIcon::Mail},
    {"Reminders", "Water the plants", "", std::nullopt},
};

constexpr PreviewKeyHelp kKeys[] = {
    {"N", "post the next sample notification"},
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
    {"I", "show or hide the info line"},
    {"H", "show or hide this help"},
    {"Q, Esc", "quit"},
};

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
    if (ctrl) return key == 'r' ? std::optional(PreviewAction::Relaunch) : std::nullopt;
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
    case 'q':
    case kEscape: return PreviewAction::Quit;
    default: return std::nullopt;
    }
}

std::span<const PreviewKeyHelp> previewKeys() { return kKeys; }

double fittingScale(CGSize points, CGSize display)
{
    for (double scale : {2.0, 1.5}) {
        if (points.width * scale <= display.width && points.height * scale <= display.height) return scale;
    }
    return 1.0;
}

ErrorOr<std::unique_ptr<PreviewSession>> PreviewSession::start(PreviewOptions options)
{
    if (!findDeviceProfile(options.device)) return Error{"unknown device \"" + options.device + "\" (see `zovorudovu devices`)"};
    if (!std::isfinite(options.scale) || options.scale <= 0) return Error{"the scale must be a positive number"};
    if (!options.wallClock) options.wallClock = steadySeconds;
    std::unique_ptr<PreviewSession> session(new PreviewSession(std::move(options)));
    if (auto launched = session->launch(); !launched) return Error{launched.error()};
    return session;
}

PreviewSession::PreviewSession(PreviewOptions options)
    : options_(std::move(options)), settings_(std::make_unique<PreviewSettings>(options_.settingsFile))
{
}

PreviewSession::~PreviewSession()
{
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
    trace().setListener([this](const TraceEvent& e) {
        if (e.type == "post") lastPost_ = e.text("name");
        if (options_.onTrace) options_.onTrace(e);
    });

    const fs::path phoneSettings = process_->hostPath(zovorudovu::kSettingsPath);
    if (settings_->hasFile() && first) {
        if (auto loaded = settings_->load(); !loaded) return loaded;
    }
    // A fresh process has a fresh file system: the settings in force are carried over into it.
    // The very first launch without a file of the user's starts as a new install does.
    if (settings_->hasFile() || !first) {
        if (auto written = writeSettingsFile(phoneSettings, settings_->current()); !written) return written;
    }

    PhoneOptions phone;
    phone.model = options_.device;
    phone.orientation = toScreen(options_.orientation);
    host_ = startPhone(*process_, phone, ComponentStart::Load);
    if (!settings_->hasFile() && first) {
        if (ErrorOr<PropertyList> read = readPropertyList(phoneSettings)) settings_->setCurrent(settingsToJson(read->dictionary.get()));
    }
    launchedBefore_ = true;

    recording_ = Scenario{};
    recording_.device = options_.device;
    recording_.orientation = options_.orientation;
    recording_.settings = settings_->current();
    recording_.bannerDuration = host_->options().bannerDuration;
    openTouches_.reset();
    lastWall_ = options_.wallClock();
    virtualTarget_ = 0;
    wasAnimating_ = false;
    dirty_ = true;
    return {};
}

void PreviewSession::relaunch()
{
    if (auto launched = launch(); !launched) {
        message(launched.error());
        quit_ = true;
    }
}

void PreviewSession::catchUp()
{
    const double wall = options_.wallClock();
    const double step = paused_ ? 0.0 : std::max(0.0, wall - lastWall_) * timeScale();
    lastWall_ = wall;
    RunLoop& loop = process_->mainRunLoop();
    const std::uint64_t before = loop.itemsRun();
    // The target is kept apart from the loop's whole nanoseconds so that rounding each small step
    // does not add up over a long session.
    virtualTarget_ += step;
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
    if (paused_) return std::nullopt;
    const RunLoop& loop = process_->mainRunLoop();
    const std::optional<double> next = loop.nextFireTime();
    if (!next || std::isinf(*next)) return std::nullopt;
    return std::max(0.0, (*next - loop.now()) / timeScale());
}

const Frame& PreviewSession::picture()
{
    if (dirty_ || picture_.empty()) {
        const auto start = std::chrono::steady_clock::now();
        RenderOptions render;
        render.scale = options_.scale;
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
    const bool any = showInfo_ || paused_ || showHelp_;
    if (showInfo_) {
        char line[160];
        std::snprintf(line, sizeof line, "frame %.1f ms  ·  %gx%s  ·  %s", lastFrameTime_.count(), timeScale(), paused_ ? " paused" : "",
                      lastPost_.empty() ? "no post yet" : lastPost_.c_str());
        drawInfoLine(picture_, line);
    } else if (paused_) {
        drawInfoLine(picture_, "paused");
    }
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
    case PreviewAction::Relaunch: relaunch(); break;
    case PreviewAction::NextDevice: switchDevice(1); break;
    case PreviewAction::PreviousDevice: switchDevice(-1); break;
    case PreviewAction::Screenshot: screenshot(); break;
    case PreviewAction::ToggleHelp: showHelp_ = !showHelp_; break;
    case PreviewAction::ToggleInfo: showInfo_ = !showInfo_; break;
    case PreviewAction::TogglePause: paused_ = !paused_; break;
    case PreviewAction::Slower:
        if (timeScaleIndex_ > 0) --timeScaleIndex_;
        break;
    case PreviewAction::Faster:
        if (timeScaleIndex_ + 1 < std::size(kTimeScales)) ++timeScaleIndex_;
        break;
    case PreviewAction::Quit: quit_ = true; break;
    }
}

void PreviewSession::recordEvent(ScenarioEvent event)
{
    event.at = process_->mainRunLoop().now();
    recording_.events.push_back(std::move(event));
}

void PreviewSession::postSample(bool sticky)
{
    const Sample& sample = kSamples[nextSample_++ % std::size(kSamples)];
    ScenarioEvent event{};
    event.kind = ScenarioEvent::Kind::Notify;
    ScenarioNotify& n = event.notify;
    n.id = "preview-" + std::to_string(++posted_);
    n.app = sample.app;
    n.title = sample.title;
    n.message = sample.message;
    n.builtInIcon = sample.icon;
    n.sticky = sticky;
    objc::StrongRef<UIImage> icon;
    if (sample.icon) icon = UIImage::imageWithCGImage(drawAppIcon(*sample.icon), 3.0);
    host_->postRequest({n.id, n.app, n.title, n.subtitle, n.message, icon, n.date, n.sticky});
    recordEvent(std::move(event));
}

void PreviewSession::toggleSetting(const char* key, bool fallback)
{
    // Writing the last good settings over a file that is being edited would throw the edit away.
    if (settings_->broken()) return message(settings_->file().string() + " does not parse; fix it before toggling " + key);
    Json settings = settings_->current();
    settings[key] = !flagValue(settings, key, fallback);
    if (auto written = settings_->write(settings); !written) return message(written.error());
    settingsChanged(settings);
    if (std::string(key) == "isEnabled")
        message(std::string("isEnabled is now ") + (settings[key].get<bool>() ? "on" : "off") + "; Ctrl+R relaunches to show it");
}

void PreviewSession::settingsChanged(const Json& settings)
{
    // As the settings pane does: the phone's file is rewritten and the Darwin notification posted.
    if (auto written = host_->changeSettings(propertyListFromJson(settings).get()); !written) return message(written.error());
    ScenarioEvent event{};
    event.kind = ScenarioEvent::Kind::Settings;
    event.settings = settings;
    recordEvent(std::move(event));
}

void PreviewSession::watchSettings()
{
    std::string problem;
    if (std::optional<Json> changed = settings_->poll(problem)) {
        settingsChanged(*changed);
        dirty_ = true;
    } else if (!problem.empty()) {
        message(problem);
    }
}

void PreviewSession::rotate()
{
    options_.orientation = options_.orientation == ScenarioOrientation::Portrait ? ScenarioOrientation::Landscape : ScenarioOrientation::Portrait;
    host_->rotate(toScreen(options_.orientation));
    ScenarioEvent event{};
    event.kind = ScenarioEvent::Kind::Rotate;
    event.rotate = options_.orientation;
    recordEvent(std::move(event));
}

void PreviewSession::switchDevice(int step)
{
    const std::span<const DeviceProfile> profiles = deviceProfiles();
    const auto here = std::find_if(profiles.begin(), profiles.end(), [&](const DeviceProfile& p) { return p.model == options_.device; });
    const auto count = static_cast<std::ptrdiff_t>(profiles.size());
    const std::ptrdiff_t index = ((here - profiles.begin()) + step + count) % count;
    options_.device = std::string(profiles[static_cast<std::size_t>(index)].model);
    relaunch();
}

void PreviewSession::screenshot()
{
    std::error_code ec;
    fs::create_directories(options_.screenshotDir, ec);
    fs::path file;
    for (int n = 1; n <= 9999; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "preview-%04d.png", n);
        file = options_.screenshotDir / name;
        if (!fs::exists(file, ec)) break;
    }
    // At the device's own scale and without the overlays: the phone's screen as it would look.
    if (auto written = writeFramePNG(renderScreen(RenderOptions{}), file); !written) return message(written.error());
    if (options_.onScreenshot) options_.onScreenshot(file);
    else std::cout << file.string() << '\n' << std::flush;
}

void PreviewSession::message(const std::string& text) const
{
    if (options_.onMessage) options_.onMessage(text);
    else std::cerr << "zovorudovu preview: " << text << '\n';
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
