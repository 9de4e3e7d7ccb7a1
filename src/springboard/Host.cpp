#include "springboard/Host.h"

#include "foundation/DarwinNotifyCenter.h"
#include "foundation/NSNotificationCenter.h"
#include "foundation/Process.h"
#include "foundation/Trace.h"
#include "objc/Message.h"
#include "springboard/HostDefaults.h"
#include "springboard/HostSupport.h"
#include "springboard/NCNotificationRequest.h"
#include "springboard/NCNotificationShortLookViewController.h"
#include "springboard/SBBannerWindow.h"
#include "springboard/SBNotificationBannerDestination.h"
#include "springboard/SpringBoard.h"
#include "uikit/UIDevice.h"
#include "uikit/TextLayout.h"
#include "uikit/UIKitClasses.h"

#include <cmath>
#include <stdexcept>

namespace zovo {
namespace {

// The app of the process, once launched. Process-local, so it ends with the process, before the
// classes it points at.
struct HostState {
    objc::StrongRef<SpringBoard> app;
};

HostState& state() { return Process::current().local<HostState>(); }

bool positive(double value) { return value > 0 && !std::isnan(value); }

} // namespace

SpringBoardHost::SpringBoardHost(Process& process, HostOptions options)
    : process_(process), options_(std::move(options)), profile_(findDeviceProfile(options_.model))
{
    // Options come from code that has already checked what a person gave it (a scenario, the command
    // line), so a value out of range here is the caller's mistake and throws, as broken programs do.
    if (options_.model.empty()) throw std::invalid_argument("SpringBoardHost: the device model is empty");
    if (!positive(options_.bannerDuration)) throw std::invalid_argument("SpringBoardHost: the banner duration must be a positive number of seconds");
    screen_ = profile_ ? profile_->screen : CGSizeMake(375, 812);
    facts_ = profile_ ? DeviceFacts{profile_->hasFaceID, profile_->isIPad} : DeviceFacts{};
    if (options_.screen) {
        const CGSize s = *options_.screen;
        if (!positive(s.width) || !positive(s.height) || std::isinf(s.width) || std::isinf(s.height))
            throw std::invalid_argument("SpringBoardHost: the screen size must be positive and finite");
        screen_ = s;
    }
    if (options_.hasFaceID) facts_.hasFaceID = *options_.hasFaceID;
    if (options_.isIPad) facts_.isIPad = *options_.isIPad;
}

namespace {

// The home screen lays its own text out as it launches, so the system font is loaded and its
// common sizes made before the first notification arrives; without it the first banner's text
// measurement would load the font configuration itself, a hitch of two frames. The sizes are the
// banners' own: the host's header, title and message, and the 12 and 14 points that a banner
// restyled on top of it commonly uses.
void warmUpSystemFonts()
{
    const std::string& family = zovo::systemFontFamily();
    const zovo::FontDescriptor fonts[] = {
        {family, kHeaderFontSize, zovo::FontWeight::Regular}, {family, kTitleFontSize, zovo::FontWeight::Bold},
        {family, kMessageFontSize, zovo::FontWeight::Regular}, {family, 12, zovo::FontWeight::Regular},
        {family, 14, zovo::FontWeight::Regular},
    };
    zovo::warmUpText(fonts);
}

} // namespace

void SpringBoardHost::launch()
{
    if (&Process::current() != &process_) throw std::logic_error("SpringBoardHost: its process is not the current one");
    if (launched()) throw std::logic_error("SpringBoardHost: SpringBoard has already launched in this process");
    objc::Runtime& runtime = process_.runtime();
    if (!runtime.lookUpClass("UIView")) registerUIKitClasses(runtime);
    registerHostClasses(runtime, facts_);
    host::config().bannerDuration = options_.bannerDuration;

    UIScreen::useDevice(profile_ ? *profile_ : defaultDeviceProfile());
    UIScreen::mainScreen()->setPortraitSize(screen_);
    UIScreen::mainScreen()->setOrientation(options_.orientation);
    UIDevice::setModelIdentifier(options_.model);

    process_.defaultCenter()->setPostListener([prefix = options_.tracedPostPrefix](const std::string& name) {
        if (name.starts_with(prefix)) trace().record("post", {{"name", name}});
    });

    for (const DynamicLibrary& library : options_.libraries) Loader::load(runtime, library);

    warmUpSystemFonts();

    objc::StrongId app = objc::send<objc::StrongId>(host::alloc(host::classes().springBoard), "init");
    state().app = objc::retained(objc::cast<SpringBoard>(app));
    objc::send(app, "applicationDidFinishLaunching:", app);
}

bool SpringBoardHost::launched() const { return springBoard() && springBoard()->hasLaunched(); }

void SpringBoardHost::postRequest(const NotificationRequest& request)
{
    if (!launched()) throw std::logic_error("SpringBoardHost: a request was posted before launch");
    auto r = host::make<NCNotificationRequest>(host::classes().request);
    r->identifier = request.id;
    r->appName = request.app;
    r->title = request.title;
    r->subtitle = request.subtitle;
    r->message = request.message;
    r->icon = request.icon;
    r->dateText = request.date;
    r->sticky = request.sticky;
    objc::send(destination(), "postNotificationRequest:", r);
}

bool SpringBoardHost::closeLongLook()
{
    SBNotificationBannerDestination* d = destination();
    return d && d->closeLongLook();
}

void SpringBoardHost::rotate(UIScreen::Orientation orientation)
{
    UIScreen* screen = UIScreen::mainScreen();
    screen->setOrientation(orientation);
    if (SpringBoard* app = springBoard()) app->layOutStatusBar();
    if (SBNotificationBannerDestination* d = destination()) d->screenDidRotate();
    // As on the phone, every view on screen is laid out again in the new orientation on the next
    // turn, whether or not its size changed: layout code that asks about the orientation (the
    // component's capture among it) runs again.
    for (UIWindow* window : screen->visibleWindows()) host::setNeedsLayoutThroughout(window);
}

ErrorOr<void> SpringBoardHost::changeSettings(const NSDictionary* settings)
{
    const std::filesystem::path path = process_.hostPath(options_.settings.path);
    if (path.empty()) return Error{"the settings path \"" + options_.settings.path + "\" is not an absolute path inside the process"};
    if (!settings) return Error{"no settings to write to " + options_.settings.path};
    ErrorOr<void> written = writeBinaryPropertyList(path, settings);
    if (written) process_.darwinCenter().post(options_.settings.changedNotification);
    return written;
}

SpringBoard* SpringBoardHost::springBoard() const { return state().app.get(); }

SBNotificationBannerDestination* SpringBoardHost::destination() const
{
    SpringBoard* app = springBoard();
    return app ? app->bannerDestination() : nullptr;
}

SBBannerWindow* SpringBoardHost::bannerWindow() const
{
    SBNotificationBannerDestination* d = destination();
    return d ? d->bannerWindow() : nullptr;
}

NCNotificationShortLookView* SpringBoardHost::shortLookView() const
{
    SBBannerWindow* window = bannerWindow();
    return window ? window->shortLookView() : nullptr;
}

NCNotificationLongLookViewController* SpringBoardHost::longLook() const
{
    SBNotificationBannerDestination* d = destination();
    return d ? d->longLookController() : nullptr;
}

} // namespace zovo
