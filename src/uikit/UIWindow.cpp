#include "uikit/UIWindow.h"

#include "foundation/Process.h"
#include "foundation/Trace.h"
#include "uikit/UIScreen.h"


namespace {
// A window's record in the trace: which one (class and serial), where and at what level.
void record(const UIWindow& window, const char* event)
{
    const CGRect f = window.frame();
    std::string frame = "[" + zovo::jsonNumber(f.origin.x) + "," + zovo::jsonNumber(f.origin.y) + "," + zovo::jsonNumber(f.size.width) + "," +
                        zovo::jsonNumber(f.size.height) + "]";
    zovo::trace().record("window", {{"event", event},
                                    {"class", window.className()},
                                    {"id", static_cast<double>(window.windowId())},
                                    {"frame", zovo::TraceValue::raw(std::move(frame))},
                                    {"level", window.windowLevel()}});
}
} // namespace

UIWindow::UIWindow() { UIView::setHidden(true); }

UIWindow::~UIWindow()
{
    // A shown window that ends leaves the screen; the list drops it on its own (it is weak).
    if (!isHidden() && zovo::Process::currentOrNull()) record(*this, "removed");
}

void UIWindow::makeKeyAndVisible()
{
    (void)UIScreen::mainScreen()->windowChanged(*this, UIScreen::WindowChange::BecameKey);
    setHidden(false);
}

void UIWindow::setHidden(bool hidden)
{
    const bool wasHidden = isHidden();
    UIView::setHidden(hidden);
    if (wasHidden == hidden) return;
    if (!hidden) {
        const UIScreen::WindowPlace place = UIScreen::mainScreen()->windowChanged(*this, UIScreen::WindowChange::Shown);
        showOrder_ = place.showOrder;
        windowId_ = place.windowId;
        setNeedsLayout();
    }
    record(*this, hidden ? "removed" : "shown");
}

bool UIWindow::isKeyWindow() const { return UIScreen::mainScreen()->keyWindow() == this; }
