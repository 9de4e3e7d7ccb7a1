#include "uikit/UIWindow.h"

#include "foundation/Process.h"
#include "foundation/Trace.h"
#include "uikit/UIScreen.h"

#include <sstream>

namespace {
std::string describe(const UIWindow& window)
{
    std::ostringstream out;
    const CGRect f = window.frame();
    out << "level " << window.windowLevel() << " frame (" << f.origin.x << ", " << f.origin.y << ", " << f.size.width << ", " << f.size.height << ")";
    return out.str();
}
} // namespace

UIWindow::UIWindow() { UIView::setHidden(true); }

UIWindow::~UIWindow()
{
    // A shown window that ends leaves the screen; the list drops it on its own (it is weak).
    if (!isHidden() && zovo::Process::currentOrNull()) zovo::trace().record("windowRemoved", className(), describe(*this));
}

void UIWindow::makeKeyAndVisible()
{
    UIScreen* screen = UIScreen::mainScreen();
    screen->setKeyWindow(this);
    setHidden(false);
}

void UIWindow::setHidden(bool hidden)
{
    const bool wasHidden = isHidden();
    UIView::setHidden(hidden);
    if (wasHidden == hidden) return;
    if (!hidden) {
        UIScreen* screen = UIScreen::mainScreen();
        screen->addWindow(this);
        showOrder_ = screen->nextShowOrder();
        setNeedsLayout();
    }
    zovo::trace().record(hidden ? "windowHidden" : "windowShown", className(), describe(*this));
}

bool UIWindow::isKeyWindow() const { return UIScreen::mainScreen()->keyWindow() == this; }
