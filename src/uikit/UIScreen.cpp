#include "uikit/UIScreen.h"

#include "foundation/Process.h"
#include "uikit/UIDevice.h"
#include "uikit/UIWindow.h"

#include <algorithm>

namespace {
struct ScreenState {
    objc::StrongRef<UIScreen> screen;
};
} // namespace

UIScreen* UIScreen::mainScreen()
{
    auto& state = zovo::Process::current().local<ScreenState>();
    if (!state.screen) {
        state.screen = objc::make<UIScreen>();
        state.screen->device_ = &zovo::defaultDeviceProfile();
        state.screen->portraitSize_ = state.screen->device_->screen;
        if (UIDevice::modelIdentifier().empty()) UIDevice::setModelIdentifier(std::string(state.screen->device_->model));
    }
    return state.screen.get();
}

void UIScreen::useDevice(const zovo::DeviceProfile& profile)
{
    mainScreen()->device_ = &profile;
    mainScreen()->portraitSize_ = profile.screen;
    UIDevice::setModelIdentifier(std::string(profile.model));
}

CGRect UIScreen::bounds() const
{
    const CGSize portrait = portraitSize_;
    if (orientation_ == Orientation::Landscape) return CGRectMake(0, 0, portrait.height, portrait.width);
    return CGRectMake(0, 0, portrait.width, portrait.height);
}

UIScreen::WindowPlace UIScreen::windowChanged(UIWindow& window, WindowChange change)
{
    if (change == WindowChange::BecameKey) {
        key_ = &window;
        return {window.showOrder(), window.windowId()};
    }
    std::erase_if(windows_, [](const objc::WeakRef<UIWindow>& w) { return !w; });
    if (std::none_of(windows_.begin(), windows_.end(), [&](const objc::WeakRef<UIWindow>& w) { return w.get() == &window; })) windows_.emplace_back(&window);
    const std::uint64_t showOrder = ++showCounter_;
    return {showOrder, window.windowId() != 0 ? window.windowId() : ++windowCounter_};
}

std::vector<UIWindow*> UIScreen::visibleWindows() const
{
    std::vector<UIWindow*> shown;
    for (const auto& w : windows_)
        if (UIWindow* window = w.get(); window && !window->isHidden()) shown.push_back(window);
    std::stable_sort(shown.begin(), shown.end(), [](const UIWindow* a, const UIWindow* b) {
        if (a->windowLevel() != b->windowLevel()) return a->windowLevel() < b->windowLevel();
        return a->showOrder() < b->showOrder();
    });
    return shown;
}

UIWindow* UIScreen::windowForTouchAt(CGPoint point) const
{
    const auto windows = visibleWindows();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        UIWindow* window = *it;
        if (!window->isUserInteractionEnabled() || window->alpha() < UIView::kMinimumHitAlpha) continue;
        const CGRect f = window->frame();
        if (window->pointInside(CGPointMake(point.x - f.origin.x, point.y - f.origin.y))) return window;
    }
    return nullptr;
}
