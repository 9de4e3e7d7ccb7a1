#include "sim/AppIcons.h"

#include "render/CairoPainter.h"
#include "render/Frame.h"

namespace zovo {
namespace {

constexpr double kSide = 20, kScale = 3, kKappa = 0.5522847498307936;
using T = CGPathElement::Type;

// An ellipse as four cubic curves, wound clockwise.
void addEllipse(CGPath& path, double cx, double cy, double rx, double ry)
{
    path.elements.push_back({T::MoveTo, {CGPointMake(cx + rx, cy)}});
    path.elements.push_back({T::CurveTo, {CGPointMake(cx + rx, cy + ry * kKappa), CGPointMake(cx + rx * kKappa, cy + ry), CGPointMake(cx, cy + ry)}});
    path.elements.push_back({T::CurveTo, {CGPointMake(cx - rx * kKappa, cy + ry), CGPointMake(cx - rx, cy + ry * kKappa), CGPointMake(cx - rx, cy)}});
    path.elements.push_back({T::CurveTo, {CGPointMake(cx - rx, cy - ry * kKappa), CGPointMake(cx - rx * kKappa, cy - ry), CGPointMake(cx, cy - ry)}});
    path.elements.push_back({T::CurveTo, {CGPointMake(cx + rx * kKappa, cy - ry), CGPointMake(cx + rx, cy - ry * kKappa), CGPointMake(cx + rx, cy)}});
    path.elements.push_back({T::Close, {}});
}

void messages(Painter& painter)
{
    painter.fillRoundedRect(CGRectMake(0, 0, kSide, kSide), 4.5, RGBA{0.20, 0.78, 0.35, 1});
    // The bubble and its tail wind the same way, so the non-zero rule fills their overlap.
    const double cx = 10, cy = 9.4;
    CGPath bubble;
    addEllipse(bubble, cx, cy, 6.8, 5.5);
    bubble.elements.push_back({T::MoveTo, {CGPointMake(cx - 3.6, cy + 3.4)}});
    bubble.elements.push_back({T::LineTo, {CGPointMake(cx - 0.6, cy + 5.2)}});
    bubble.elements.push_back({T::LineTo, {CGPointMake(cx - 5.8, cy + 7.4)}});
    bubble.elements.push_back({T::Close, {}});
    painter.fillPath(bubble, RGBA{1, 1, 1, 1});
}

void weather(Painter& painter)
{
    painter.fillRoundedRect(CGRectMake(0, 0, kSide, kSide), 4.5, RGBA{0.22, 0.56, 0.93, 1});
    CGPath sun;
    addEllipse(sun, 7.5, 7.5, 4.2, 4.2);
    painter.fillPath(sun, RGBA{1.0, 0.82, 0.20, 1});
    CGPath cloud;
    addEllipse(cloud, 9.5, 13.5, 3.2, 3.0);
    addEllipse(cloud, 13.0, 12.0, 3.8, 3.6);
    addEllipse(cloud, 15.5, 14.0, 2.6, 2.4);
    cloud.elements.push_back({T::MoveTo, {CGPointMake(9.5, 13.5)}});
    cloud.elements.push_back({T::LineTo, {CGPointMake(15.5, 13.5)}});
    cloud.elements.push_back({T::LineTo, {CGPointMake(15.5, 16.4)}});
    cloud.elements.push_back({T::LineTo, {CGPointMake(9.5, 16.5)}});
    cloud.elements.push_back({T::Close, {}});
    painter.fillPath(cloud, RGBA{1, 1, 1, 1});
}

void mail(Painter& painter)
{
    painter.fillRoundedRect(CGRectMake(0, 0, kSide, kSide), 4.5, RGBA{0.11, 0.45, 0.95, 1});
    painter.fillRoundedRect(CGRectMake(3.5, 5.5, 13, 9), 1.2, RGBA{1, 1, 1, 1});
    // The flap: a shallow V in the icon's colour across the envelope's top.
    CGPath flap;
    flap.elements = {
        {T::MoveTo, {CGPointMake(4.2, 6.0)}},  {T::LineTo, {CGPointMake(10, 10.6)}}, {T::LineTo, {CGPointMake(15.8, 6.0)}},
        {T::LineTo, {CGPointMake(15.0, 6.0)}}, {T::LineTo, {CGPointMake(10, 9.6)}},  {T::LineTo, {CGPointMake(5.0, 6.0)}},
        {T::Close, {}},
    };
    painter.fillPath(flap, RGBA{0.11, 0.45, 0.95, 1});
}

} // namespace

std::shared_ptr<const CGImage> drawAppIcon(AppIcon icon)
{
    Frame frame(static_cast<int>(kSide * kScale), static_cast<int>(kSide * kScale), kScale);
    {
        CairoPainter painter(frame);
        switch (icon) {
        case AppIcon::Messages: messages(painter); break;
        case AppIcon::Weather: weather(painter); break;
        case AppIcon::Mail: mail(painter); break;
        }
    }
    return frame.toImage();
}

std::string_view appIconName(AppIcon icon)
{
    switch (icon) {
    case AppIcon::Messages: return "messages";
    case AppIcon::Weather: return "weather";
    case AppIcon::Mail: return "mail";
    }
    return {};
}

std::optional<AppIcon> appIconNamed(std::string_view name)
{
    for (AppIcon icon : kAppIcons)
        if (appIconName(icon) == name) return icon;
    return std::nullopt;
}

} // namespace zovo
