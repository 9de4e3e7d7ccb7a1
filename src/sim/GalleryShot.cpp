#include "sim/GalleryShot.h"

#include "foundation/Process.h"
#include "render/ScreenRenderer.h"
#include "sim/AppIcons.h"
#include "sim/SimulatedPhone.h"
#include "tweak/BLNotificationBanner.h"
#include "tweak/Tweak.h"
#include "uikit/UIImage.h"

#include <fstream>

namespace zovo {

namespace {

// The phone, started with the component loaded and the settings in place; fails when they turn
// the component off.
ErrorOr<std::unique_ptr<SpringBoardHost>> startWithSettings(Process& process, const DeviceProfile& device, UIScreen::Orientation orientation,
                                                            const std::optional<std::string>& settings)
{
    if (settings) {
        const auto path = process.hostPath(zovorudovu::kSettingsPath);
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file << *settings;
        file.close();
        if (!file) return Error{"cannot put the settings file in place at " + path.string()};
    }
    PhoneOptions phone;
    phone.model = std::string(device.model);
    phone.orientation = orientation;
    std::unique_ptr<SpringBoardHost> host = startPhone(process, phone, ComponentStart::Load);
    if (!zovorudovu::globals().isEnabled) return Error{"the settings turn the component off (isEnabled is false): no banner is shown"};
    return host;
}

} // namespace

ErrorOr<void> checkGallerySettings(const std::optional<std::string>& settings)
{
    Process process;
    TRY(startWithSettings(process, defaultDeviceProfile(), UIScreen::Orientation::Portrait, settings));
    return {};
}

ErrorOr<GalleryShot> renderGalleryShot(const GalleryRequest& request)
{
    GalleryShot shot;
    const DeviceProfile& device = *request.device;
    // The process comes first and ends last: everything below is made of its objects.
    Process process;
    const std::unique_ptr<SpringBoardHost> host = TRY(startWithSettings(process, device, request.orientation, request.settings));

    BannerContent content;
    content.icon = UIImage::imageWithCGImage(drawAppIcon(AppIcon::Messages), 3.0);
    content.title = request.title;
    content.message = request.message;
    content.date = "now";
    content.safeY = device.statusBarHeight - 15.0;
    const objc::StrongId window = presentOneBanner(process, *host, content);
    auto* banner = objc::cast<BLNotificationBanner>(window.get());
    if (!banner) return Error{"no banner window was shown on " + std::string(device.model)};
    shot.banner = banner->frame();
    auto onScreen = [&](const UIView& view) {
        CGRect r = view.frameInWindow();
        r.origin.x += shot.banner.origin.x;
        r.origin.y += shot.banner.origin.y;
        return r;
    };
    if (auto* body = objc::cast<UIView>(banner->bottomSection.get())) shot.body = onScreen(*body);
    for (objc::id label : {banner->primary.get(), banner->secondary.get(), banner->date.get()})
        if (auto* view = objc::cast<UIView>(label)) shot.labels.push_back(onScreen(*view));
    shot.frame = renderScreen(RenderOptions{.scale = request.scale});
    return shot;
}

} // namespace zovo
