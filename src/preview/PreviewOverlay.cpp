#include "preview/PreviewOverlay.h"

#include "render/CairoPainter.h"
#include "uikit/TextLayout.h"
#include "uikit/UIWindow.h"

#include <algorithm>

namespace zovo {
namespace {

constexpr double kFontSize = 11;
constexpr double kLineHeight = 16;
constexpr double kMargin = 8;
constexpr RGBA kPanel{0, 0, 0, 0.72};

TextStyle style(FontWeight weight)
{
    TextStyle s;
    s.font = FontDescriptor{systemFontFamily(), kFontSize, weight};
    s.rgba[0] = s.rgba[1] = s.rgba[2] = 1.0;
    return s;
}

} // namespace

void drawInfoLine(Frame& picture, std::string_view text)
{
    if (picture.empty()) return;
    const double width = picture.width() / picture.scale(), height = picture.height() / picture.scale();
    CairoPainter painter(picture);
    painter.fillRect(CGRectMake(0, height - kLineHeight - 4, width, kLineHeight + 4), kPanel);
    painter.drawText(text, style(FontWeight::Regular), CGRectMake(kMargin, height - kLineHeight - 2, width - 2 * kMargin, kLineHeight));
}

void drawNote(Frame& picture, std::string_view text)
{
    if (picture.empty()) return;
    const double width = picture.width() / picture.scale(), height = picture.height() / picture.scale();
    const CGRect strip = CGRectMake(kMargin, height - 3 * kLineHeight - 8, width - 2 * kMargin, kLineHeight + 8);
    CairoPainter painter(picture);
    painter.fillRoundedRect(strip, 6, kPanel);
    painter.drawText(text, style(FontWeight::Regular), CGRectMake(2 * kMargin, strip.origin.y + 4, width - 4 * kMargin, kLineHeight));
}

void drawTouch(Frame& picture, std::optional<CGPoint> finger, std::string_view label, CGPoint labelAt)
{
    if (picture.empty()) return;
    constexpr double kDot = 28;
    CairoPainter painter(picture);
    if (finger) {
        painter.fillRoundedRect(CGRectMake(finger->x - kDot / 2 - 2, finger->y - kDot / 2 - 2, kDot + 4, kDot + 4), kDot / 2 + 2, RGBA{0, 0, 0, 0.35});
        painter.fillRoundedRect(CGRectMake(finger->x - kDot / 2, finger->y - kDot / 2, kDot, kDot), kDot / 2, RGBA{1, 1, 1, 0.6});
    }
    if (!label.empty()) {
        const CGRect tag = CGRectMake(labelAt.x + kDot / 2 + 4, labelAt.y - kLineHeight / 2 - 2, 8 * static_cast<double>(label.size()) + 2 * kMargin, kLineHeight + 4);
        painter.fillRoundedRect(tag, 6, kPanel);
        painter.drawText(label, style(FontWeight::Bold), CGRectMake(tag.origin.x + kMargin, tag.origin.y + 2, tag.size.width - kMargin, kLineHeight));
    }
}

namespace {

void outline(CairoPainter& painter, CGRect r, double line, RGBA colour)
{
    painter.fillRect(CGRectMake(r.origin.x, r.origin.y, r.size.width, line), colour);
    painter.fillRect(CGRectMake(r.origin.x, CGRectGetMaxY(r) - line, r.size.width, line), colour);
    painter.fillRect(CGRectMake(r.origin.x, r.origin.y, line, r.size.height), colour);
    painter.fillRect(CGRectMake(CGRectGetMaxX(r) - line, r.origin.y, line, r.size.height), colour);
}

void outlineViews(CairoPainter& painter, const UIView* view, CGPoint windowOrigin, double line)
{
    for (const objc::StrongRef<UIView>& sub : view->subviews()) {
        if (sub->isHidden()) continue;
        CGRect r = sub->frameInWindow();
        r.origin.x += windowOrigin.x;
        r.origin.y += windowOrigin.y;
        outline(painter, r, line, RGBA{0.2, 0.9, 1.0, 0.9});
        outlineViews(painter, sub.get(), windowOrigin, line);
    }
}

} // namespace

void drawOutlines(Frame& picture, const std::vector<UIWindow*>& windows)
{
    if (picture.empty()) return;
    CairoPainter painter(picture);
    const double line = 1 / picture.scale(); // one pixel at any scale
    for (const UIWindow* window : windows) {
        if (window->isHidden()) continue;
        outlineViews(painter, window, window->frame().origin, line);
        outline(painter, window->frame(), 2 * line, RGBA{1.0, 0.2, 0.8, 1.0});
    }
}

void drawHelp(Frame& picture, std::span<const PreviewKeyHelp> keys)
{
    if (picture.empty()) return;
    const double width = picture.width() / picture.scale(), height = picture.height() / picture.scale();
    const double panelWidth = std::min(width - 2 * kMargin, 360.0);
    const double panelHeight = kLineHeight * static_cast<double>(keys.size()) + 2 * kMargin;
    const double x = (width - panelWidth) / 2, y = std::max(kMargin, (height - panelHeight) / 2);
    constexpr double kKeyColumn = 80;
    CairoPainter painter(picture);
    painter.fillRoundedRect(CGRectMake(x, y, panelWidth, panelHeight), 12, kPanel);
    double line = y + kMargin;
    for (const PreviewKeyHelp& key : keys) {
        painter.drawText(key.keys, style(FontWeight::Bold), CGRectMake(x + kMargin, line, kKeyColumn, kLineHeight));
        painter.drawText(key.what, style(FontWeight::Regular), CGRectMake(x + kMargin + kKeyColumn, line, panelWidth - kKeyColumn - 2 * kMargin, kLineHeight));
        line += kLineHeight;
    }
}

} // namespace zovo
