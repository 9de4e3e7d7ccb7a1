#include "sim/ScenarioRunner.h"

#include "foundation/Json.h"
#include "foundation/Process.h"
#include "foundation/RunLoop.h"
#include "objc/Message.h"
#include "sim/BannerSnapshot.h"
#include "sim/SettingsFile.h"
#include "sim/SimulatedPhone.h"
#include "springboard/Host.h"
#include "springboard/SBBannerWindow.h"
#include "springboard/SpringBoard.h"
#include "tweak/BLNotificationBridge.h"
#include "tweak/Tweak.h"
#include "uikit/TouchInput.h"
#include "uikit/UIImage.h"
#include "uikit/UIWindow.h"

#include <nlohmann/json.hpp>

#include <cmath>


namespace zovo {
namespace {

// A tap is a quick touch; drags move the finger sixty times a second.
constexpr double kTapLength = 0.08;
constexpr double kDragStep = 1.0 / 60.0;

UIScreen::Orientation toScreen(ScenarioOrientation o)
{
    return o == ScenarioOrientation::Landscape ? UIScreen::Orientation::Landscape : UIScreen::Orientation::Portrait;
}

// A solid icon the size of an app icon at 3x.
objc::StrongRef<UIImage> solidIcon(std::uint32_t rgb)
{
    constexpr std::size_t kSide = 60;
    std::vector<std::uint8_t> bytes;
    bytes.reserve(kSide * kSide * 4);
    for (std::size_t i = 0; i < kSide * kSide; ++i)
        bytes.insert(bytes.end(), {static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8), static_cast<std::uint8_t>(rgb), 255});
    return UIImage::fromPixels(kSide, kSide, {ChannelOrder::RGBA, AlphaMode::Premultiplied}, std::move(bytes), 3.0);
}

} // namespace

ErrorOr<objc::StrongRef<UIImage>> notificationIcon(const ScenarioNotify& n)
{
    if (n.iconRGB) return solidIcon(*n.iconRGB);
    if (n.builtInIcon) return UIImage::imageWithCGImage(drawAppIcon(*n.builtInIcon), 3.0);
    if (n.iconFile.empty()) return objc::StrongRef<UIImage>();
    TRY(loadPNG(n.iconFile));
    return UIImage::imageWithContentsOfFile(n.iconFile);
}

namespace {

Json rect(const CGRect& r) { return Json::array({r.origin.x, r.origin.y, r.size.width, r.size.height}); }

} // namespace

UIWindow* componentBanner(SpringBoardHost& host)
{
    objc::id app = host.springBoard();
    if (!app || !objc::respondsTo(app, objc::sel("brimlight"))) return nullptr;
    auto* window = objc::cast<UIWindow>(objc::send<objc::StrongId>(app, "brimlight").get());
    return window && !window->isHidden() ? window : nullptr;
}

std::optional<CGPoint> bannerCentre(SpringBoardHost& host)
{
    UIWindow* window = componentBanner(host);
    if (!window) window = host.bannerWindow();
    if (!window || window->isHidden()) return std::nullopt;
    const CGRect f = window->frame();
    return CGPointMake(CGRectGetMidX(f), CGRectGetMidY(f));
}

ScenarioRunner::ScenarioRunner(Scenario scenario, RunnerOptions options) : scenario_(std::move(scenario)), options_(std::move(options)) {}

ErrorOr<void> ScenarioRunner::run()
{
    Process process;
    if (options_.onEvent) trace().setListener(options_.onEvent);

    if (scenario_.settings) {
        TRY(writeSettingsFile(process.hostPath(zovorudovu::kSettingsPath), *scenario_.settings));
    }
    if (scenario_.defaultsFile == Scenario::Defaults::Given && scenario_.defaults) {
        TRY(writeSettingsFile(process.hostPath(zovorudovu::kDefaultsPath), *scenario_.defaults));
    }

    PhoneOptions phone;
    phone.model = scenario_.device;
    phone.bannerDuration = scenario_.bannerDuration;
    phone.orientation = toScreen(scenario_.orientation);
    phone.installDefaults = scenario_.defaultsFile == Scenario::Defaults::Shipped;
    const std::unique_ptr<SpringBoardHost> launched = startPhone(process, phone, ComponentStart::Load);
    SpringBoardHost& host = *launched;
    if (!zovorudovu::globals().isEnabled && options_.onWarning)
        options_.onWarning("the component is inactive (isEnabled is off or absent in the settings and defaults files), so only the system's banner shows");

    // Icons are decoded before anything runs, so a bad one stops the run before it starts.
    std::vector<objc::StrongRef<UIImage>> icons(scenario_.events.size());
    for (std::size_t i = 0; i < scenario_.events.size(); ++i) {
        const ScenarioNotify& n = scenario_.events[i].notify;
        if (scenario_.events[i].kind != ScenarioEvent::Kind::Notify) continue;
        ErrorOr<objc::StrongRef<UIImage>> icon = notificationIcon(n);
        if (!icon) return Error{"events[" + std::to_string(i) + "].notify.icon: " + icon.error()};
        icons[i] = std::move(icon).value();
    }

    RunLoop& loop = process.mainRunLoop();
    for (std::size_t i = 0; i < scenario_.events.size(); ++i) {
        const ScenarioEvent* event = &scenario_.events[i];
        if (event->kind == ScenarioEvent::Kind::Notify) {
            NotificationRequest request{event->notify.id, event->notify.app, event->notify.title, event->notify.subtitle,
                                        event->notify.message, icons[i], event->notify.date, event->notify.sticky};
            loop.schedule(event->at, [&host, request] { host.postRequest(request); });
        } else {
            loop.schedule(event->at, [this, &process, &host, event, i] { perform(process, host, *event, i); });
        }
    }
    if (options_.onFrame && options_.fps > 0) {
        const auto frames = static_cast<std::size_t>(std::floor(scenario_.until * options_.fps + 1e-9));
        for (std::size_t f = 0; f <= frames; ++f) {
            const double t = static_cast<double>(f) / options_.fps;
            loop.schedule(t, [this, &process, t] { options_.onFrame(process, t); });
        }
    }
    loop.advance(scenario_.until);
    if (options_.onFinish) options_.onFinish(process, host);
    trace().setListener({});
    loop.discardAll();
    return {};
}

void ScenarioRunner::perform(Process& process, SpringBoardHost& host, const ScenarioEvent& event, std::size_t index)
{
    RunLoop& loop = process.mainRunLoop();
    auto noTarget = [&](const char* what) {
        trace().record("driver", {{"event", what}, {"index", static_cast<double>(index)}, {"note", "no banner on screen to touch"}});
    };
    switch (event.kind) {
    case ScenarioEvent::Kind::Notify:
        break; // scheduled directly
    case ScenarioEvent::Kind::Tap: {
        auto centre = bannerCentre(host);
        if (!centre) return noTarget("tap");
        touchDown(*centre);
        loop.schedule(kTapLength, [c = *centre] { touchUp(c); });
        break;
    }
    case ScenarioEvent::Kind::Hold: {
        auto centre = bannerCentre(host);
        if (!centre) return noTarget("hold");
        touchDown(*centre);
        loop.schedule(event.duration, [c = *centre] { touchUp(c); });
        break;
    }
    case ScenarioEvent::Kind::Drag: {
        auto centre = bannerCentre(host);
        if (!centre) return noTarget("drag");
        const CGPoint start = *centre;
        touchDown(start);
        const int steps = std::max(1, static_cast<int>(std::ceil(event.duration / kDragStep)));
        for (int s = 1; s <= steps; ++s) {
            const CGPoint p = CGPointMake(start.x, start.y + event.dy * s / steps);
            loop.schedule(event.duration * s / steps, [p] { touchMove(p); });
        }
        const CGPoint end = CGPointMake(start.x, start.y + event.dy);
        loop.schedule(event.duration, [end] { touchUp(end); });
        break;
    }
    case ScenarioEvent::Kind::Touches:
        for (const ScenarioTouch& t : event.touches) {
            loop.schedule(t.t, [t] {
                const CGPoint p = CGPointMake(t.x, t.y);
                switch (t.phase) {
                case ScenarioTouch::Phase::Down: touchDown(p); break;
                case ScenarioTouch::Phase::Move: touchMove(p); break;
                case ScenarioTouch::Phase::Up: touchUp(p); break;
                case ScenarioTouch::Phase::Cancel: touchCancel(); break;
                }
            });
        }
        break;
    case ScenarioEvent::Kind::CloseLongLook:
        if (!host.closeLongLook()) trace().record("driver", {{"event", "closeLongLook"}, {"index", static_cast<double>(index)}, {"note", "no long look open"}});
        break;
    case ScenarioEvent::Kind::Settings:
        if (auto written = host.changeSettings(propertyListFromJson(event.settings).get()); !written)
            trace().record("driver", {{"event", "settings"}, {"index", static_cast<double>(index)}, {"note", written.error()}});
        break;
    case ScenarioEvent::Kind::Rotate:
        host.rotate(toScreen(event.rotate));
        break;
    case ScenarioEvent::Kind::Snapshot:
        snapshot(host, event.label);
        if (options_.onSnapshot) options_.onSnapshot(process, event.label);
        break;
    }
}

void ScenarioRunner::snapshot(SpringBoardHost& host, const std::string& label)
{
    const BLNotificationBridge* b = BLNotificationBridge::sharedInstance();
    Json bridge{{"presented", b->presented},
                {"adaptiveColours", b->adaptiveColours},
                {"showGrabber", b->showGrabber},
                {"showTimestamp", b->showTimestamp},
                {"customWidth", b->customWidth},
                {"customWidthValue", b->customWidthValue},
                {"safeYPos", b->safeYPos},
                {"notchWidth", b->notchWidth},
                {"longLookActivated", b->longLookActivated},
                {"longLookActivationMethodWasSwipe", b->longLookActivationMethodWasSwipe}};
    Json windows = Json::array();
    for (UIWindow* w : UIScreen::mainScreen()->visibleWindows())
        windows.push_back({{"class", w->className()}, {"frame", rect(w->frame())}, {"level", w->windowLevel()},
                           {"userInteractionEnabled", w->isUserInteractionEnabled()}});
    trace().record("snapshot", {{"label", label},
                                {"banner", TraceValue::raw(toJsonText(snapshotBanner(componentBanner(host)), JsonStyle::Compact))},
                                {"bridge", TraceValue::raw(toJsonText(bridge, JsonStyle::Compact))},
                                {"windows", TraceValue::raw(toJsonText(windows, JsonStyle::Compact))}});
}

} // namespace zovo
